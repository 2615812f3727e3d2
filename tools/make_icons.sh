#!/usr/bin/env bash
# Makes the icon's bitmaps from assets/icon/vanteel.svg, which are committed
# beside it: vanteel-SIZE.png for the Linux desktop (hicolor sizes) and
# vanteel.ico for the Windows program. Run it after editing the SVG; it needs
# librsvg2-bin (rsvg-convert) and icoutils (icotool).
#
#     tools/make_icons.sh
set -euo pipefail
icon=$(cd "$(dirname "${BASH_SOURCE[0]}")/../assets/icon" && pwd)
sizes=(16 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
  rsvg-convert -w "$size" -h "$size" "$icon/vanteel.svg" -o "$icon/vanteel-$size.png"
done
# Windows shows 16 to 48 in lists and title bars and 256 in large views, which
# an .ico may hold as PNG.
icotool -c -o "$icon/vanteel.ico" "$icon"/vanteel-{16,24,32,48,64}.png -r "$icon/vanteel-256.png"
