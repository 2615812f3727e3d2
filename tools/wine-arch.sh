#!/usr/bin/env bash
# Which Windows build this machine's Wine can run, found by running a real
# 32-bit x86 program (the i386 dynamic loader) rather than by asking the
# kernel's configuration, which containers and emulators misreport:
#   tools/wine-arch.sh [32-bit-program]
# Prints one line: "x86" or "x64", a tab, and why. Some kernels are built
# without 32-bit x86 support; there 32-bit Wine cannot start at all, and the
# 64-bit build runs under 64-bit Wine instead. The argument stands in for the
# probed program in the tests of both answers.
set -uo pipefail

probe=${1:-/lib/ld-linux.so.2}
if answer=$("$probe" --version 2>&1 >/dev/null); then
  printf 'x86\t32-bit x86 programs run here (%s started), so the 32-bit build runs under 32-bit Wine\n' "$probe"
else
  reason=$(printf '%s' "${answer:-status $?}" | head -n 1)
  printf 'x64\t32-bit x86 programs do not run here (%s: %s), so the 64-bit build runs under 64-bit Wine\n' \
    "$probe" "${reason##*"$probe: "}"
fi
