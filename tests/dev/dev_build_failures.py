#!/usr/bin/python3
"""./dev on a copy of the source tree with a planted fault: a failed build or
a failed configure must end the command with a non-zero status, show what the
compiler or cmake said, and name the step that failed. Nothing is installed:
stand-ins for apt-get and sudo come first on the PATH ./dev runs with.

    dev_build_failures.py SOURCE_ROOT
"""

import os
import shutil
import subprocess
import sys
import tempfile

from checks import SKIPPED, Failure, outcome
from demo_runs import headless_environment

# A ceiling for one ./dev, which compiles the libraries on cores other work shares.
DEV_SECONDS = 540

COMPILE_ERROR = "planted compile error"
UNKNOWN_COMMAND = "vanteel_planted_unknown_command"
# The copy's folder of stand-in installers, and what they say when called.
INSTALLERS = "refusing-installers"
REFUSED_INSTALL = "a test refused to install packages"


def expect_dev(condition, message, output):
    if not condition:
        raise Failure(f"{message}; ./dev said:\n{output}")


def source_files(source_root):
    """The files a fresh clone would have, plus new ones not yet committed;
    none of the build folders."""
    listing = subprocess.run(
        ["git", "-C", source_root, "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
        check=True, capture_output=True).stdout.decode()
    return [name for name in listing.split("\0") if os.path.isfile(os.path.join(source_root, name))]


def copy_tree(source_root, names, copy_root):
    for name in names:
        target = os.path.join(copy_root, name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy2(os.path.join(source_root, name), target)


def append(path, text):
    with open(path, "a") as stream:
        stream.write(text)


def add_refusing_installers(copy_root):
    """apt-get and sudo that install nothing: each says so and fails, which
    ./dev reports as a failed install."""
    os.makedirs(os.path.join(copy_root, INSTALLERS))
    for name in ("apt-get", "sudo"):
        path = os.path.join(copy_root, INSTALLERS, name)
        with open(path, "w") as stream:
            stream.write(f'#!/bin/sh\necho "{REFUSED_INSTALL} ({name} $*)" >&2\nexit 1\n')
        os.chmod(path, 0o755)


def dev(copy_root, command):
    # No display: nothing the copy runs may reach the tester's screen.
    environment = headless_environment()
    environment["PATH"] = os.path.join(copy_root, INSTALLERS) + os.pathsep + environment.get("PATH", "")
    result = subprocess.run([os.path.join(copy_root, "dev"), command], cwd=copy_root, env=environment,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=DEV_SECONDS)
    output = result.stdout.decode(errors="replace")
    expect_dev(REFUSED_INSTALL not in output,
               f"./dev {command} tried to install packages; run ./dev once to install what it lacks", output)
    return result.returncode, output


def check_compile_error(copy_root, build):
    """The demo's particle frame fails to compile, so the demo is never linked."""
    append(os.path.join(copy_root, "demo", "particles.cpp"), f"\n#error {COMPILE_ERROR}\n")
    for command in ("run", "bench"):
        status, output = dev(copy_root, command)
        expect_dev(status != 0, f"./dev {command} exited 0 after a failed build", output)
        expect_dev(COMPILE_ERROR in output, f"./dev {command} hid the compiler's error", output)
        expect_dev(f"dev: building {build} failed" in output, f"./dev {command} did not name the failed build", output)
        expect_dev("not built yet" not in output, f"./dev {command} took a failed build for a missing one", output)
        expect_dev("Build files have been written" not in output,
               f"./dev {command} showed the status lines of a configure that worked", output)


def check_configure_error(copy_root, build):
    append(os.path.join(copy_root, "demo", "CMakeLists.txt"), f"\n{UNKNOWN_COMMAND}()\n")
    status, output = dev(copy_root, "run")
    expect_dev(status != 0, "./dev run exited 0 after a failed configure", output)
    expect_dev(f'Unknown CMake command "{UNKNOWN_COMMAND}"' in output, "./dev run hid cmake's error", output)
    expect_dev("Configuring incomplete, errors occurred!" in output, "./dev run hid cmake's status lines", output)
    expect_dev(f"dev: configuring {build} failed" in output, "./dev run did not name the failed configure", output)


def check_dev(source_root):
    copy_root = tempfile.mkdtemp(prefix="vanteel-dev-failures-")
    try:
        copy_tree(source_root, source_files(source_root), copy_root)
        add_refusing_installers(copy_root)
        build = os.path.join(copy_root, "build")
        # Configured ahead of ./dev, which keeps these choices, so that the copy
        # builds only the libraries and the demo: seconds, not minutes of suites.
        subprocess.run(["cmake", "-S", copy_root, "-B", build, "-G", "Ninja",
                        "-DVANTEEL_BUILD_TESTS=OFF", "-DVANTEEL_BUILD_BENCH=OFF"],
                       check=True, stdout=subprocess.DEVNULL)
        # Last, since no build runs past a failed configure.
        check_compile_error(copy_root, build)
        check_configure_error(copy_root, build)
    finally:
        shutil.rmtree(copy_root, ignore_errors=True)
    print("every failed step ended ./dev with its errors shown")


def main():
    source_root = os.path.abspath(sys.argv[1])
    if subprocess.run(["git", "-C", source_root, "rev-parse"], capture_output=True).returncode != 0:
        print(f"{source_root} is not a git checkout: no list of its source files")
        return SKIPPED
    return outcome(lambda: check_dev(source_root))


if __name__ == "__main__":
    sys.exit(main())
