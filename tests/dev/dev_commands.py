#!/usr/bin/python3
"""./dev's handling of its commands, on a copy of the script and the presets
whose tools are stand-ins that log their calls: what it refuses before starting
anything, what the lint stage says when clang-format or clang-tidy fails, and
how ./dev run hands its arguments to the demo. Then the presets: warnings are
errors where CI is set, and only there, as the compile commands say.

    dev_commands.py SOURCE_ROOT
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile

from checks import expect, outcome
from demo_runs import headless_environment

LOGGING = '#!/bin/sh\necho "$(basename "$0") $*" >>"$TOOL_LOG"\n'
# xvfb-run's three option words dropped, the command run on a display of its own.
XVFB_RUN = LOGGING + 'shift 3\nDISPLAY=:stand-in exec "$@"\n'
DEMO = '#!/bin/sh\n{ echo "$PWD"; echo "$DISPLAY"; printf "%s\\n" "$@"; } >"$TOOL_LOG.demo"\nexit 3\n'
COMPLAINT = 'echo "a.cpp:1:4: warning: code should be clang-formatted [-Wclang-format-violations]\nint  x;\n   ^" >&2\n'
FAILED = '#!/bin/sh\necho "Error: could not find compilation database."\nexit 1\n'

# Stand-ins for clang-format and run-clang-tidy, what ./dev must say, and what not.
LINT = [(f'#!/bin/sh\n{COMPLAINT}echo "Error reading .clang-format" >&2\nexit 1\n', LOGGING,
         "Error reading .clang-format\ndev: clang-format failed", ["int  x;", "not formatted", "cmake"]),
        (f"#!/bin/sh\n{COMPLAINT}", LOGGING, "dev: not formatted: a.cpp; fix with: clang-format -i a.cpp",
         ["cmake"]),
        (LOGGING, FAILED, "could not find compilation database.\ndev: clang-tidy failed without naming a fault",
         ["faults above"])]


def tool(folder, name, script):
    with open(os.path.join(folder, name), "w") as stream:
        stream.write(script)
    os.chmod(os.path.join(folder, name), 0o755)


def dev(scratch, arguments, cwd, formatter=LOGGING, tidy=LOGGING, **environment):
    tools, log = os.path.join(scratch, "tools"), os.path.join(scratch, "log")
    for name in ("apt-get", "sudo", "cmake", "ctest", "cpack"):
        tool(tools, name, LOGGING)
    tool(tools, "clang-format", formatter)
    tool(tools, "run-clang-tidy", tidy)
    open(log, "w").close()
    environment = dict(headless_environment(), PATH=tools + os.pathsep + os.environ["PATH"], TOOL_LOG=log,
                       **environment)
    result = subprocess.run([os.path.join(scratch, "tree", "dev")] + arguments, cwd=cwd, env=environment,
                            capture_output=True, text=True, timeout=60)
    with open(log) as stream:
        return result, stream.read()


def check_script(source_root, scratch):
    tree, tools, caller = (os.path.join(scratch, name) for name in ("tree", "tools", "caller"))
    for folder in (os.path.join(tree, "build"), tools, caller):
        os.makedirs(folder)
    for name in ("dev", "CMakePresets.json"):
        shutil.copy2(os.path.join(source_root, name), tree)
    open(os.path.join(tree, "a.cpp"), "w").close()
    subprocess.run(["git", "init", "-q", tree], check=True)
    subprocess.run(["git", "-C", tree, "add", "."], check=True)
    tool(tools, "dpkg-query", '#!/bin/sh\necho "install ok installed"\n')
    tool(tools, "xvfb-run", XVFB_RUN)
    tool(os.path.join(tree, "build"), "vanteel", DEMO)

    for arguments, phrase in (("frobnicate", 'unknown command "frobnicate"'), ("test lint nope", 'stage "nope"'),
                              ("bench x", "bench"), ("package x", "package"), ("web 80 x", "web [port]"),
                              ("fuzz 9 x", "fuzz [seconds"), ("soak 9 x", "soak [seconds]")):
        result, calls = dev(scratch, arguments.split(), tree)
        expect(result.returncode != 0 and phrase in result.stderr and "usage: ./dev" in result.stderr and not calls,
               f"./dev {arguments}: status {result.returncode}, said {result.stderr!r}, ran {calls!r}")

    for formatter, tidy, said, unsaid in LINT:
        result, calls = dev(scratch, ["test", "lint"], tree, formatter, tidy)
        output = result.stdout + result.stderr + calls
        expect(result.returncode != 0 and said in output and not any(phrase in output for phrase in unsaid),
               f"./dev test lint, status {result.returncode}, not saying {said!r} or saying one of {unsaid}:\n{output}")

    # Relative paths, spaces and empty words reach the demo as written, run from the caller's folder.
    arguments = ["--frames", "5", "--screenshot", "shots/a b.png", ""]
    for display in ("", ":42"):
        result, calls = dev(scratch, ["run"] + arguments, caller, DISPLAY=display)
        with open(os.path.join(scratch, "log.demo")) as stream:
            demo = stream.read().splitlines()
        expect(result.returncode == 3 and demo == [caller, display or ":stand-in"] + arguments
               and calls.count("xvfb-run -a") == (not display) and "cmake --build --preset linux" in calls,
               f"./dev run with DISPLAY={display!r}: status {result.returncode}, demo ran as {demo}, calls {calls!r}")


def check_ci_warnings(source_root, scratch):
    """The run without CI after one with it guards against an ON kept in the cache."""
    folder = os.path.join(scratch, "configured")
    for ci, werror in (("true", True), (None, False), ("false", False), ("1", True)):
        environment = {name: value for name, value in os.environ.items() if name != "CI"}
        environment.update({"CI": ci} if ci else {})
        subprocess.run(["cmake", "--preset", "linux", "-B", folder, "-DVANTEEL_BUILD_TESTS=OFF",
                        "-DVANTEEL_BUILD_BENCH=OFF", "-DVANTEEL_BUILD_GL=OFF"], cwd=source_root, env=environment,
                       check=True, stdout=subprocess.DEVNULL)
        with open(os.path.join(folder, "compile_commands.json")) as stream:
            commands = [entry["command"].split() for entry in json.load(stream)]
        with_werror = sum("-Werror" in command for command in commands)
        expect(commands and with_werror == (len(commands) if werror else 0),
               f"CI={ci}: -Werror in {with_werror} of {len(commands)} compiles")


def main(arguments):
    if len(arguments) != 1:
        sys.exit(__doc__)
    source_root = os.path.abspath(arguments[0])
    with tempfile.TemporaryDirectory(prefix="vanteel-dev-commands-") as scratch:
        return outcome(lambda: check_script(source_root, scratch) or check_ci_warnings(source_root, scratch))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
