#!/usr/bin/python3
"""Unpacks a download package into a fresh folder and starts the demo in it the
way a user would, on a private X server: a few frames, the last one saved and
checked for the nebula, status 0. Also what the package must hold besides.

    package_smoke.py linux dist/vanteel-VERSION-linux-x86_64.tar.gz
    package_smoke.py deb dist/vanteel_VERSION_amd64.deb
    package_smoke.py windows dist/vanteel-VERSION-windows-x86.zip
    package_smoke.py windows-contents dist/vanteel-VERSION-windows-x86.zip

The deb case unpacks the package into a scratch root (dpkg-deb -x), checks
its layout, control fields, desktop entry and manual page, and starts the program from
there, from an unrelated folder, with no --assets.

The Windows case runs under Wine in the prefix that WINEPREFIX names; its
server is shut down when the case ends, and also runs the program from a
folder with a name outside the ANSI code page. The windows-contents case checks the
package and the DLLs its program imports without starting it, for a machine
whose Wine cannot run that architecture.
"""

import gzip
import os
import re
import shutil
import subprocess
import sys
import tempfile

from checks import Failure, expect, outcome
from demo_checks import expect_nebula
from demo_runs import run_command_line, run_command_line_on_display, start_x_server
from wine_runs import WINE_RUN, debug_writes, stop_wine

# A ceiling: a fresh Wine prefix is made on the first run, on cores other work shares.
RUN_SECONDS = 300
# Fixed steps draw the same picture on every run, however slow the renderer.
FRAMES = ["--fixed-step", "16667", "--frames", "20"]
# DLLs that come with every Windows; anything else would have to ship beside the .exe.
WINDOWS_SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "opengl32.dll", "msvcrt.dll", "advapi32.dll",
                       "shell32.dll", "ole32.dll", "winmm.dll", "imm32.dll", "ws2_32.dll"}


def version_in_name(package):
    match = re.match(r"vanteel[-_]([0-9]+\.[0-9]+\.[0-9]+)[-_]", os.path.basename(package))
    expect(match, f"{os.path.basename(package)} does not carry a version")
    return match.group(1)


def unpack(package, scratch):
    """The package's one top folder, named as the package is."""
    shutil.unpack_archive(package, scratch)
    folders = os.listdir(scratch)
    expect(len(folders) == 1, f"the package unpacks into {folders}, not one folder")
    top = os.path.join(scratch, folders[0])
    expect(os.path.basename(package).startswith(folders[0] + "."),
           f"the package unpacks into {folders[0]}, not a folder of its own name")
    return top


def check_contents(top, executable):
    """The demo alone in bin/, and every text beside it: the runs show that the effect file is there."""
    bin_files = os.listdir(os.path.join(top, "bin"))
    expect(bin_files == [executable], f"bin/ holds {bin_files}, not only {executable}")
    for name in ("README.md", "LICENSE", "THIRD-PARTY.txt"):
        expect(os.path.isfile(os.path.join(top, name)), f"the package has no {name}")
    with open(os.path.join(top, "THIRD-PARTY.txt")) as stream:
        notices = set(re.findall(r"licenses/[A-Za-z0-9_.-]+\.txt", stream.read()))
    expect(notices, "THIRD-PARTY.txt names no notice")
    missing = sorted(notice for notice in notices if not os.path.isfile(os.path.join(top, notice)))
    expect(not missing, f"THIRD-PARTY.txt names {missing}, which the package lacks")


def case_linux(package, scratch):
    top = unpack(package, scratch)
    check_contents(top, "vanteel")
    executable = os.path.join(top, "bin", "vanteel")
    version = run_command_line(executable, ["--version"], scratch)
    expect(version.stdout == f"Vanteel {version_in_name(package)}\n".encode(),
           f"--version printed {version.stdout!r}, the package is {os.path.basename(package)}")

    run_command_line_on_display(executable, [*FRAMES, "--screenshot", "from-bin.png"], os.path.join(top, "bin"))
    expect_nebula(os.path.join(top, "bin", "from-bin.png"))

    elsewhere = os.path.join(scratch, "elsewhere")
    os.mkdir(elsewhere)
    run_command_line_on_display(executable, ["--assets", os.path.join(top, "assets"), *FRAMES, "--screenshot", "frame.png"],
                   elsewhere)
    expect_nebula(os.path.join(elsewhere, "frame.png"))
    # Without --assets too: the program finds ../assets/ beside itself.
    run_command_line_on_display(executable, [*FRAMES, "--screenshot", "found.png"], elsewhere)
    expect_nebula(os.path.join(elsewhere, "found.png"))


# What the .deb installs under /usr besides the program.
DEB_FILES = ["share/vanteel/Shaders.glsl", "share/applications/vanteel.desktop",
             "share/icons/hicolor/scalable/apps/vanteel.svg", "share/doc/vanteel/copyright",
             "share/doc/vanteel/README.md", "share/doc/vanteel/THIRD-PARTY.txt", "share/doc/vanteel/changelog.gz",
             *(f"share/icons/hicolor/{size}x{size}/apps/vanteel.png" for size in (16, 24, 32, 48, 64, 128, 256))]


def control_fields(package):
    text = subprocess.run(["dpkg-deb", "-f", package], capture_output=True, check=True).stdout.decode()
    return dict(re.findall(r"^([A-Za-z-]+): (.*)$", text, re.MULTILINE))


def case_deb(package, scratch):
    fields = control_fields(package)
    expect(fields.get("Package") == "vanteel" and fields.get("Version") == version_in_name(package),
           f"the control file says {fields.get('Package')} {fields.get('Version')}")
    # dpkg-shlibdeps found the window and GL libraries the program links.
    depends = fields.get("Depends", "")
    for library in ("libglfw3", "libglew", "libc6"):
        expect(library in depends, f"Depends lacks {library}: {depends!r}")
    # A version of one of Debian's own rebuilds (+b1) is one Ubuntu's packages never reach.
    expect("+b" not in depends, f"Depends names a Debian rebuild's version: {depends!r}")
    print(f"Depends: {depends}; {os.path.getsize(package)} bytes, {fields.get('Installed-Size')} KiB installed")

    root = os.path.join(scratch, "root")
    subprocess.run(["dpkg-deb", "-x", package, root], check=True)
    installed = sorted(os.path.relpath(os.path.join(folder, name), os.path.join(root, "usr"))
                       for folder, _, names in os.walk(root) for name in names)
    expect(os.listdir(root) == ["usr"], f"the package installs {os.listdir(root)}, not only usr/")
    missing = sorted(set(["bin/vanteel", *DEB_FILES]) - set(installed))
    expect(not missing, f"the package lacks {missing}")
    expect(os.listdir(os.path.join(root, "usr", "bin")) == ["vanteel"], "usr/bin holds more than the program")
    validation = subprocess.run(["desktop-file-validate", os.path.join(root, "usr/share/applications/vanteel.desktop")],
                                capture_output=True)
    expect(validation.returncode == 0 and not validation.stdout.strip(),
           f"desktop-file-validate: {validation.stdout.decode(errors='replace')}")

    elsewhere = os.path.join(scratch, "elsewhere")
    os.mkdir(elsewhere)
    executable = os.path.join(root, "usr", "bin", "vanteel")
    run_command_line_on_display(executable, [*FRAMES, "--screenshot", "frame.png"], elsewhere)
    expect_nebula(os.path.join(elsewhere, "frame.png"))
    expect_manual_page_of(executable, os.path.join(root, "usr/share/man/man1/vanteel.1.gz"), elsewhere)


def expect_manual_page_of(executable, manual_page, working_directory):
    """The manual page says word for word what the program's --help says, and
    its header the version --version gives; both run with no display."""
    with gzip.open(manual_page, "rt") as page:
        text = page.read()
    answers = [run_command_line(executable, [option], working_directory) for option in ("--help", "--version")]
    expect(all(answer.returncode == 0 for answer in answers), "--help or --version failed with no display")
    help_text, version = (answer.stdout.decode() for answer in answers)
    header = re.search(r'^\.TH .*$', text, re.MULTILINE)
    expect(header and f'"{version.strip()}"' in header.group(0), f"the manual page's header is not {version.strip()!r}")
    description = text.split(".SH DESCRIPTION\n", 1)[-1].split("\n.SH ", 1)[0]
    # The page's words without its macros, font changes and escaped hyphens.
    words = re.sub(r"\\f[BRI]|\\[/,]", "",
                   " ".join(line for line in description.splitlines() if not line.startswith("."))).replace("\\-", "-")
    expect(words.split() == help_text.split(), "the manual page does not say what --help says")


def imported_dlls(executable):
    # The 64-bit MinGW objdump reads 32-bit and 64-bit programs alike.
    headers = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", executable], capture_output=True,
                             check=True).stdout.decode(errors="replace")
    return re.findall(r"DLL Name: (\S+)", headers)


def check_windows_program(package, scratch):
    """The package's vanteel.exe, built for the architecture its name promises, importing system DLLs only."""
    top = unpack(package, scratch)
    check_contents(top, "vanteel.exe")
    executable = os.path.join(top, "bin", "vanteel.exe")
    headers = subprocess.run(["x86_64-w64-mingw32-objdump", "-f", executable], capture_output=True,
                             check=True).stdout.decode(errors="replace")
    expected_format = {"x86": "pei-i386", "x64": "pei-x86-64"}[re.search(r"-windows-(x86|x64)\.", package).group(1)]
    expect(f"file format {expected_format}" in headers, f"vanteel.exe is not {expected_format}: {headers.strip()}")
    sections = subprocess.run(["x86_64-w64-mingw32-objdump", "-h", executable], capture_output=True,
                              check=True).stdout.decode(errors="replace")
    expect(re.search(r"^\s*\d+\s+\.rsrc\s", sections, re.MULTILINE), "vanteel.exe has no resource section (.rsrc)")
    with open(executable, "rb") as stream:
        binary = stream.read()
    for setting in (b"<activeCodePage", b">UTF-8</activeCodePage>", b">PerMonitorV2, PerMonitor</dpiAwareness>",
                    b"<supportedOS"):
        expect(setting in binary, f"vanteel.exe's manifest lacks {setting.decode()}")
    # The version resource's strings are UTF-16.
    expect("Vanteel particle demo".encode("utf-16-le") in binary, "vanteel.exe has no version information")
    dlls = imported_dlls(executable)
    expect(dlls, "objdump found no imported DLL at all")
    foreign = sorted(dll for dll in dlls if dll.lower() not in WINDOWS_SYSTEM_DLLS)
    expect(not foreign, f"vanteel.exe needs {foreign}, which Windows does not have")
    return top, executable


def case_windows(package, scratch):
    top, executable = check_windows_program(package, scratch)
    # Started from its own folder, as a double click in Explorer does.
    run_under_wine(executable, [*FRAMES, "--screenshot", "frame.png"], os.path.join(top, "bin"))
    expect_nebula(os.path.join(top, "bin", "frame.png"))

    # Moved into a folder whose name no ANSI code page holds and started from
    # another such folder, without --assets: the program finds its effect file
    # beside itself and writes the picture to a UTF-8 path given on the command line.
    unusual = os.path.join(scratch, "Vantéel ✦ 粒子")
    shutil.move(top, unusual)
    elsewhere = os.path.join(scratch, "ailleurs ✦ 別の場所")
    os.mkdir(elsewhere)
    run_under_wine(os.path.join(unusual, "bin", "vanteel.exe"), [*FRAMES, "--screenshot", "image ✦.png"], elsewhere)
    expect_nebula(os.path.join(elsewhere, "image ✦.png"))


def run_under_wine(executable, arguments, working_directory):
    server, display_name = start_x_server()
    # The debugger channel carries the demo's diagnostics.
    environment = dict(os.environ, DISPLAY=display_name, WINEDEBUG="-all,+debugstr")
    # Wine's services outlive a run, and those of an earlier one know another display.
    stop_wine(environment)
    try:
        result = subprocess.run([WINE_RUN, executable, *arguments], cwd=working_directory, env=environment,
                                capture_output=True, timeout=RUN_SECONDS)
    except subprocess.TimeoutExpired:
        raise Failure(f"vanteel.exe still ran {RUN_SECONDS} s later")
    finally:
        stop_wine(environment)
        server.terminate()
        server.wait()
    expect(result.returncode == 0, f"vanteel.exe ended with status {result.returncode}: "
                                   f"{debug_writes(result.stderr.decode(errors='replace'))!r}")


def case_windows_contents(package, scratch):
    check_windows_program(package, scratch)


CASES = {"linux": case_linux, "deb": case_deb, "windows": case_windows, "windows-contents": case_windows_contents}


def main(arguments):
    wine_prefix_missing = arguments[:1] == ["windows"] and "WINEPREFIX" not in os.environ
    if len(arguments) != 2 or arguments[0] not in CASES or wine_prefix_missing:
        sys.exit(__doc__)
    case, package = arguments[0], os.path.abspath(arguments[1])
    scratch = tempfile.mkdtemp(prefix="vanteel-package-")
    try:
        return outcome(lambda: CASES[case](package, scratch))
    finally:
        shutil.rmtree(scratch)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
