#!/usr/bin/python3
"""Which Wine runs the Windows builds: tools/wine-arch.sh's answer for either
kind of machine, with stand-ins for the probed 32-bit program, and the loader,
architecture and prefix tools/wine-run.sh picks for a program, with stand-ins
for Wine's own commands. Guards against the fault that once stopped
./dev test: a machine without 32-bit support sent to a Wine that cannot start.

    dev_wine_choice.py SOURCE_ROOT
"""

import os
import shutil
import stat
import struct
import subprocess
import sys
import tempfile

from checks import expect, outcome

# Stand-in probes, and the first word and a phrase of the answer each must get.
PROBES = [
    ("/bin/true", "x86", "32-bit x86 programs run here"),
    ("/bin/false", "x64", "(/bin/false: status 1)"),
    ("/nonexistent/ld-linux.so.2", "x64", "No such file or directory"),
]

# PE machine field, loader, WINEARCH and prefix folder under the root (None: refused with status 2).
PROGRAMS = [
    (0x014C, "wine", "win32", "build-windows-x86"),
    (0x8664, "wine64", "win64", "build-windows-x64"),
    (0xAA64, None, None, None),
]

# Each stand-in writes one line: its name, WINEARCH, WINEPREFIX and its arguments.
FAKE_WINE = '#!/bin/sh\necho "$(basename "$0") $WINEARCH $WINEPREFIX $*" >>"$WINE_LOG"\n'


def check_probes(root):
    for program, architecture, phrase in PROBES:
        answer = subprocess.run([os.path.join(root, "tools", "wine-arch.sh"), program], capture_output=True,
                                text=True, check=True).stdout
        word, _, reason = answer.rstrip("\n").partition("\t")
        expect(word == architecture and phrase in reason, f"probe {program}: answered {answer!r}")


def windows_program(path, machine):
    """The DOS header's pointer to the PE header, and that header's machine field."""
    with open(path, "wb") as stream:
        stream.write(b"MZ" + bytes(58) + struct.pack("<I", 64) + b"PE\0\0" + struct.pack("<H", machine))


def check_loaders(root, scratch):
    copy = os.path.join(scratch, "tree")
    os.makedirs(os.path.join(copy, "tools"))
    shutil.copy2(os.path.join(root, "tools", "wine-run.sh"), os.path.join(copy, "tools"))
    fakes = os.path.join(scratch, "fakes")
    os.mkdir(fakes)
    for name in ("wine", "wine64", "wineserver"):
        with open(os.path.join(fakes, name), "w") as stream:
            stream.write(FAKE_WINE)
        os.chmod(os.path.join(fakes, name), stat.S_IRWXU)
    log = os.path.join(scratch, "wine.log")
    environment = {key: value for key, value in os.environ.items() if not key.startswith("WINE")}
    environment.update(PATH=fakes + os.pathsep + os.environ["PATH"], WINE_LOG=log)
    for machine, loader, architecture, folder in PROGRAMS:
        program = os.path.join(scratch, f"{machine:04x}.exe")
        windows_program(program, machine)
        open(log, "w").close()
        result = subprocess.run([os.path.join(copy, "tools", "wine-run.sh"), program, "--frames", "1"],
                                env=environment, capture_output=True, text=True)
        with open(log) as stream:
            calls = stream.read().splitlines()
        if loader is None:
            expect(result.returncode == 2 and not calls, f"machine {machine:#x}: status {result.returncode}, {calls}")
            continue
        expected = f"{loader} {architecture} {os.path.join(copy, folder, 'wine')} {program} --frames 1"
        expect(result.returncode == 0 and calls[-1:] == [expected],
               f"machine {machine:#x}: status {result.returncode}, last call {calls[-1:]}, not {expected!r}")
        expect(all(call.split()[0] in (loader, "wineserver") for call in calls),
               f"machine {machine:#x}: another Wine was started too: {calls}")

    # One of Wine's own programs follows the prefix it runs in, whatever this
    # machine's answer (a stand-in answering the other); a new prefix follows
    # the machine's answer.
    for registry, machine, loader, architecture in (("#arch=win32", "x64", "wine", "win32"),
                                                    ("#arch=win64", "x86", "wine64", "win64"),
                                                    (None, "x86", "wine", "win32"),
                                                    (None, "x64", "wine64", "win64")):
        with open(os.path.join(copy, "tools", "wine-arch.sh"), "w") as stream:
            stream.write(f"#!/bin/sh\nprintf '{machine}\\tstand-in\\n'\n")
        os.chmod(os.path.join(copy, "tools", "wine-arch.sh"), stat.S_IRWXU)
        prefix = tempfile.mkdtemp(prefix="prefix-", dir=scratch)
        if registry:
            with open(os.path.join(prefix, "system.reg"), "w") as stream:
                stream.write(f"WINE REGISTRY Version 2\n{registry}\n")
        open(log, "w").close()
        subprocess.run([os.path.join(copy, "tools", "wine-run.sh"), "cmd", "/c", "ver"],
                       env=dict(environment, WINEPREFIX=prefix), check=True)
        with open(log) as stream:
            calls = stream.read().splitlines()
        expect(calls[-1:] == [f"{loader} {architecture} {prefix} cmd /c ver"],
               f"cmd in a prefix with {registry} on a machine answering {machine}: {calls}")


def main(arguments):
    if len(arguments) != 1:
        sys.exit(__doc__)
    scratch = tempfile.mkdtemp(prefix="vanteel-wine-choice-")
    try:
        return outcome(lambda: (check_probes(arguments[0]), check_loaders(arguments[0], scratch)) and None)
    finally:
        shutil.rmtree(scratch)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
