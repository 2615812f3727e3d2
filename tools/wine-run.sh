#!/usr/bin/env bash
# Runs a Windows program under the Wine of its own architecture:
#   tools/wine-run.sh program.exe [arguments...]
#   tools/wine-run.sh --prepare program.exe
#   tools/wine-run.sh cmd [arguments...]
# A 32-bit program runs under 32-bit Wine in a win32 prefix, a 64-bit one
# under the wine64 loader in a win64 prefix: Debian's `wine` wrapper picks the
# 32-bit loader whenever it is installed, even where it cannot execute, and
# keeps wine64 off the PATH. One of Wine's own programs (cmd, say) runs under
# the Wine of the prefix WINEPREFIX names, or, for a new prefix, the one this
# machine runs (tools/wine-arch.sh).
# --prepare only creates the prefix and starts the server, which takes long
# enough the first time to trip a test runner's time limits.
# The prefix is build-windows-x86/wine or build-windows-x64/wine unless
# WINEPREFIX says otherwise, and Wine stays silent unless WINEDEBUG asks for a
# channel.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
usage() { echo "usage: $0 [--prepare] program.exe [arguments...]" >&2; exit 2; }

prepare_only=0
if [ "${1:-}" = --prepare ]; then prepare_only=1; shift; fi
[ $# -gt 0 ] || usage

# The machine field of the PE header, whose offset the DOS header holds at 0x3c.
pe_machine() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' '
}

# x86 or x64: a program's own, else the prefix's, else this machine's.
architecture_of() {
  if [ -f "$1" ]; then
    case $(pe_machine "$1") in
      014c) echo x86 ;;
      8664) echo x64 ;;
      *) echo "wine-run: $1 is neither a 32-bit nor a 64-bit x86 Windows program" >&2; exit 2 ;;
    esac
  elif [ "$prepare_only" -eq 1 ]; then
    usage
  elif [ -n "${WINEPREFIX:-}" ] && grep -q '^#arch=win32' "$WINEPREFIX/system.reg" 2>/dev/null; then
    echo x86
  elif [ -n "${WINEPREFIX:-}" ] && grep -q '^#arch=win64' "$WINEPREFIX/system.reg" 2>/dev/null; then
    echo x64
  else
    "$root/tools/wine-arch.sh" | cut -f1
  fi
}

architecture=$(architecture_of "$1")
if [ "$architecture" = x86 ]; then
  loader=wine
else
  loader=$(command -v wine64 || echo /usr/lib/wine/wine64)
fi
export WINEARCH=$([ "$architecture" = x86 ] && echo win32 || echo win64)
export WINEPREFIX=${WINEPREFIX:-$root/build-windows-$architecture/wine}
export WINEDEBUG=${WINEDEBUG:--all}
# No prompts for the .NET and HTML engines nobody here uses.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Parallel test runs must not race to create the prefix.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$loader" wineboot --init >/dev/null 2>&1
      wineserver --wait
    fi
  ) 9>"$WINEPREFIX.lock"
fi

# The server and Wine's background services, started here apart from the
# program, hold none of its output streams open: a test runner waiting for
# them to close would otherwise wait for them to linger out. They stay a
# while for the next program. A server already running refuses to start.
if wineserver --persistent=30 </dev/null >/dev/null 2>&1; then
  "$loader" wineboot </dev/null >/dev/null 2>&1
fi

[ "$prepare_only" -eq 0 ] || exit 0
exec "$loader" "$@"
