#!/usr/bin/env bash
# Runs ./vanteel from the current folder (the build folder) on the current X
# display, drags across it so the particles react, saves a screenshot of its
# window to the file named, then ends it with Escape.
#   usage: tools/screenshot.sh OUTPUT.png
set -euo pipefail

output=${1:?usage: screenshot.sh OUTPUT.png}
[ -x ./vanteel ] || { echo "screenshot: no ./vanteel in $(pwd)" >&2; exit 1; }

./vanteel &
demo=$!
trap 'kill "$demo" 2>/dev/null || true' EXIT

# The caption becomes "Vanteel" once the shaders are built and particles exist.
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Vanteel$' | head -n 1) \
  || { echo "screenshot: the demo window did not appear" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$window")"
left=$X top=$Y

sleep 3
# A slow arc with the button held: the particles stream after the pointer.
xdotool mousemove --sync $((left + 330)) $((top + 640)) mousedown 1
for step in 0 1 2 3 4 5 6 7 8 9 10 11; do
  xdotool mousemove --sync $((left + 330 + step * 30)) $((top + 640 - step * 25))
  sleep 0.4
done
sleep 2
import -window "$window" "$output"
xdotool mouseup 1

xdotool key Escape
status=0
wait "$demo" || status=$?
trap - EXIT
[ "$status" -eq 0 ] || { echo "screenshot: the demo ended with status $status" >&2; exit 1; }
echo "screenshot: saved $output"
