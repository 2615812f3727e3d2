#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's private 32-bit prefix:
#   tools/wine-run.sh program.exe [arguments...]
# With no program it only creates the prefix and starts the server, which
# takes long enough the first time to trip a test runner's time limits.
# The prefix lives in build-windows/wine unless WINEPREFIX says otherwise, and
# Wine stays silent unless WINEDEBUG asks for a channel.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build-windows/wine}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# No prompts for the .NET and HTML engines nobody here uses.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Parallel test runs must not race to create the prefix.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot --init >/dev/null 2>&1
      wineserver --wait
    fi
  ) 9>"$WINEPREFIX.lock"
fi

# The server and Wine's background services, started here apart from the
# program, hold none of its output streams open: a test runner waiting for
# them to close would otherwise wait for them to linger out. They stay a
# while for the next program. A server already running refuses to start.
if wineserver --persistent=30 </dev/null >/dev/null 2>&1; then
  wine wineboot </dev/null >/dev/null 2>&1
fi

[ $# -gt 0 ] || exit 0
exec wine "$@"
