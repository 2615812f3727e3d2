#!/usr/bin/env bash
# Runs the demo for a long stretch under storms of random mouse input on a
# private X server: it must keep presenting frames without an OpenGL error,
# its heap must not grow in every round after a warm-up, and it must still end
# with status 0 on Escape. The heap is read by the probe the build puts beside
# the executable. The seed is printed, so a failing storm can be replayed.
#   usage: tools/soak.sh EXECUTABLE [SECONDS (300)] [SEED]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
executable=${1:?usage: soak.sh EXECUTABLE [SECONDS] [SEED]}
seconds=${2:-300}
seed=${3:-$RANDOM}
[[ "$seconds" =~ ^[1-9][0-9]*$ ]] || { echo "soak: SECONDS must be a positive whole number" >&2; exit 2; }
[ -x "$executable" ] || { echo "soak: no executable at $executable" >&2; exit 2; }

echo "soak: $seconds s, seed $seed"
probe="$(dirname "$executable")/reliability_heap_probe.so"
[ -f "$probe" ] || { echo "soak: no heap probe at $probe; build the linux preset first" >&2; exit 2; }
PYTHONPATH="$root/tests/support" exec /usr/bin/python3 "$root/tests/reliability/reliability_soak.py" soak "$seconds" "$executable" "$probe" "$root/assets/Shaders.glsl" "$seed"
