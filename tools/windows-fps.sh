#!/usr/bin/env bash
# Frames per second of the Linux build against the Windows build under Wine,
# measured in the same run on the same X server with Mesa's frame counter:
#   tools/windows-fps.sh build/vanteel build-windows-x86/vanteel.exe [seconds]
# Both run from a scratch folder whose ../assets/ is the repository's. The
# first seconds (start-up, shader compilation) are dropped.
set -euo pipefail

[ $# -ge 2 ] || { echo "usage: $0 LINUX_EXECUTABLE WINDOWS_EXECUTABLE [seconds]" >&2; exit 2; }
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
linux=$(realpath "$1")
windows=$(realpath "$2")
seconds=${3:-20}
# Without a display, the script runs itself again inside a private X server.
[ -n "${DISPLAY:-}" ] || exec xvfb-run -a -s '-screen 0 1920x1200x24' "$0" "$@"
warm_up=4
samples=$(mktemp -d)
trap 'rm -rf "$samples"' EXIT
ln -s "$root/assets" "$samples/assets"
mkdir "$samples/run"

measure() {
  local name=$1; shift
  mkdir -p "$samples/$name"
  GALLIUM_HUD=fps GALLIUM_HUD_DUMP_DIR="$samples/$name" timeout "$seconds" "$@" >/dev/null 2>&1 || true
}

# The median of the samples after the warm-up.
median() {
  tail -n +"$((warm_up + 1))" "$1/fps" | sort -g |
    awk '{ value[NR] = $1 } END { if (NR == 0) print "none"; else printf "%.2f (%d samples)\n", (NR % 2 ? value[(NR + 1) / 2] : (value[NR / 2] + value[NR / 2 + 1]) / 2), NR }'
}

run_both() {
  (cd "$samples/run" && measure linux "$linux")
  (cd "$samples/run" && measure windows "$root/tools/wine-run.sh" "$windows")
  WINEPREFIX=${WINEPREFIX:-$(dirname "$windows")/wine} wineserver --kill 2>/dev/null || true
  echo "Linux build:            $(median "$samples/linux") frames per second"
  echo "Windows build (Wine):   $(median "$samples/windows") frames per second"
}

run_both
