#!/usr/bin/env bash
# Builds the frame benchmark and runs it on a machine with an NVIDIA GPU and
# no display, in well under five minutes: a headless X server on the NVIDIA
# driver (a virtual screen, no monitor needed) provides the vendor's GLX.
# Figures go to standard output and to build-gpu/bench.json.
#   usage: tools/gpu-bench.sh [frame_benchmark options, e.g. --pass-frames 5000]
# Needs: the NVIDIA driver with its X driver (nvidia_drv.so) and GLX library,
# Xorg, and the build packages ./dev installs (it installs what is missing).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-gpu"
say() { printf 'gpu-bench: %s\n' "$*"; }
die() { printf 'gpu-bench: %s\n' "$*" >&2; exit 1; }

command -v nvidia-smi >/dev/null || die "no nvidia-smi: this machine has no NVIDIA driver"
nvidia-smi --query-gpu=name,driver_version --format=csv,noheader | sed 's/^/gpu-bench: GPU /'

needed=(cmake ninja-build g++ libglfw3-dev libglew-dev libstb-dev nlohmann-json3-dev libgtest-dev libgmock-dev libbenchmark-dev xserver-xorg-core x11-utils)
missing=()
for package in "${needed[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  say "installing ${missing[*]}"
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

say "building into $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTEEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target frame_benchmark >/dev/null

# The renderer the demo itself reports on the display, from a short benchmark run.
renderer_on() {
  DISPLAY=$1 timeout 30 "$build/vanteel" --assets "$root/assets" --benchmark 0.5 --warmup 0 2>/dev/null \
    | sed -n 's/^GL: //p'
}
# A display already on the NVIDIA driver is used as it is.
uses_nvidia() { renderer_on "$1" | grep -qi nvidia; }

server=""
cleanup() { [ -n "$server" ] && kill "$server" 2>/dev/null || true; rm -rf "${scratch:-}"; }
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  scratch=$(mktemp -d)
  # nvidia-smi gives the bus id in hexadecimal (00000000:3B:00.0); Xorg wants PCI:59:0:0.
  bus=$(nvidia-smi --query-gpu=pci.bus_id --format=csv,noheader | head -n 1)
  IFS=':.' read -r _ bus_hex device_hex function_hex <<<"$bus"
  bus_id="PCI:$((16#$bus_hex)):$((16#$device_hex)):$((16#$function_hex))"
  cat >"$scratch/xorg.conf" <<CONF
Section "Device"
    Identifier "gpu"
    Driver "nvidia"
    BusID "$bus_id"
    Option "AllowEmptyInitialConfiguration" "true"
    Option "HardDPMS" "false"
EndSection
Section "Screen"
    Identifier "screen"
    Device "gpu"
    DefaultDepth 24
    Option "UseDisplayDevice" "None"
    SubSection "Display"
        Depth 24
        Virtual 1920 1200
    EndSubSection
EndSection
Section "ServerLayout"
    Identifier "layout"
    Screen "screen"
EndSection
CONF
  display_number=$(( (RANDOM % 50) + 50 ))
  say "starting a headless X server on :$display_number ($bus_id)"
  Xorg ":$display_number" -config "$scratch/xorg.conf" -noreset -nolisten tcp -logfile "$scratch/Xorg.log" &
  server=$!
  export DISPLAY=":$display_number"
  for _ in $(seq 1 50); do
    xdpyinfo >/dev/null 2>&1 && break
    kill -0 "$server" 2>/dev/null || { tail -n 30 "$scratch/Xorg.log" >&2; die "Xorg did not start"; }
    sleep 0.2
  done
fi

uses_nvidia "$DISPLAY" || die "the display $DISPLAY does not render on the NVIDIA GPU (its renderer: $(renderer_on "$DISPLAY"))"

# Thousands of frames a run: a GPU draws one in about a millisecond.
cd "$build"
timeout 240 "$build/frame_benchmark" --seconds 10 --warmup 2 --runs 3 --pass-frames 3000 --json "$build/bench.json" "$@"
