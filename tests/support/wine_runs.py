"""Runs of the Windows build under Wine: the wrapper that starts a program
there, a Wine prefix beside the executable, and the text the program wrote on
the debugger output channel, as Wine's trace shows it."""

import ast
import os
import re
import subprocess

WINE_RUN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "wine-run.sh")
# Wine cuts a long write short in its trace, ending it with "...
DEBUG_WRITE = re.compile(r'^[0-9a-f]+:[a-z]+:debugstr:OutputDebugStringA (".*")(?:\.\.\.)?$')


def wine_variables(executable, debug_channels):
    """A prefix of its own folder next to the executable, and Wine's trace of the channels named."""
    prefix = os.path.join(os.path.dirname(os.path.abspath(executable)), "wine-e2e")
    return {"WINEPREFIX": prefix, "WINEDEBUG": "-all," + debug_channels}


def stop_wine(environment):
    subprocess.run(["wineserver", "--kill"], env=environment, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "--wait"], env=environment, stderr=subprocess.DEVNULL)


def debug_writes(trace):
    """Each OutputDebugStringA call's text in Wine's trace, in order; a long
    one only as far as Wine traced it."""
    return [ast.literal_eval(match.group(1)) for match in map(DEBUG_WRITE.match, trace.splitlines()) if match]
