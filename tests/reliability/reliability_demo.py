#!/usr/bin/python3
"""Runs the real demo with damaged effect files and in hostile surroundings,
each run on its own private X server, and checks that it either runs or ends
with status 1 and exactly the message that names what is wrong.

    reliability_demo.py CASE EXECUTABLE REAL_EFFECT_FILE
"""

import os
import re
import shutil
import sys

import effect_file_variants as effects
from checks import SKIPPED, Failure, expect
from demo_runs import Run, Tree, XServer, not_found_line, run_environment, tried_beside
from reliability_checks import expect_failure, expect_runs, run_case, version_line_then

MISSING_FIRST_SOURCE = version_line_then(re.escape(effects.missing_message("Composite.VS")))


def real_text(real_effect_file):
    with open(real_effect_file, "rb") as stream:
        return stream.read()


def run_demo(executable, prepare, check, prefix=(), display_name=None, copy_program=False):
    """`prepare` lays out a scratch tree and returns the working directory;
    `check` watches the run, on a private X server unless a display is named.
    A copied program runs from the tree's bin/, so that the folders it
    searches beside itself are the tree's, not the build's."""
    with Tree() as tree:
        working_directory = prepare(tree)
        if copy_program:
            executable = tree.program(executable)
        if display_name:
            check_run(executable, working_directory, run_environment(display_name, HOME=tree.root), prefix,
                      lambda run: check(None, run))
            return
        with XServer() as server:
            check_run(executable, working_directory, run_environment(server.display_name, HOME=tree.root), prefix,
                      lambda run: check(server.screen, run))


def check_run(executable, working_directory, environment, prefix, check):
    run = Run(executable, working_directory, environment, prefix)
    try:
        check(run)
    finally:
        run.finish()


def run_with_assets(executable, content, check, prefix=(), prepare=None, copy_program=False):
    """The effect file at ../assets/Shaders.glsl holds the bytes given, or is
    left as `prepare` makes it."""
    def lay_out(tree):
        working_directory = tree.directory("run")
        if content is not None:
            tree.put("assets/Shaders.glsl", content)
        if prepare:
            prepare(tree)
        return working_directory
    run_demo(executable, lay_out, check, prefix, copy_program=copy_program)


def fails_with(pattern):
    def check(screen, run):
        expect_failure(run, pattern)
    return check


def runs(screen, run):
    expect_runs(screen, run)


def compile_log_line(line, text):
    """Mesa's compile log of an error on `line` of the effect file, counted from 1."""
    return rf"0:{line}\(\d+\): {text}\n"


def header_line_number(text, name):
    """The header's line, counted from 1: where Mesa's preprocessor, which
    counts the line after "#line N" as N whatever the GLSL version, puts the
    first body line under "#version 150"."""
    return effects.header_index(text.split(b"\n"), name) + 1


def section_lines(text, name):
    """The body's lines, counted from 1, as the compiler names them."""
    lines = text.split(b"\n")
    first, end = effects.body_range(lines, name)
    return range(first + 1, end + 1)


def fails_in_section(error, text, name):
    """Status 1 and the compiler's log of the error, reported on a line of the
    section `name` of the effect file `text`, the one that was being built."""
    check = fails_with(version_line_then(compile_log_line(r"\d+", error)))

    def blames_section(screen, run):
        check(screen, run)
        number = int(re.search(r"\n0:(\d+)\(", run.stderr()).group(1))
        expect(number in section_lines(text, name),
               f"the compile error is reported on line {number}, outside section {name}")
    return blames_section


# Each case: the effect file the user put there, and what must happen.

def case_empty(executable, real):
    # Opened and read, but no section in it: the first source the demo asks for is missing.
    run_with_assets(executable, b"", fails_with(MISSING_FIRST_SOURCE))


def case_directory(executable, real):
    # A directory opens for reading on Linux and reads as nothing; the store
    # passes it over, so the Shaders file beside the demo is used.
    def prepare(tree):
        tree.directory("assets/Shaders.glsl")
        tree.put("run/Shaders", real_text(real))
    run_with_assets(executable, None, runs, prepare=prepare)


def case_unreadable(executable, real):
    # It does not open, so the store falls back to Shaders in the working
    # directory and the folders beside the program, which hold none either;
    # the message names every file tried. The program runs from the tree's bin/.
    if os.geteuid() != 0:
        return unreadable_for(executable, real, ())
    setpriv = shutil.which("setpriv")
    if not setpriv:
        print("skipped: running as root, which reads any file, and setpriv is missing to run as nobody")
        return SKIPPED
    # nobody may not reach the build folder (under /root, say), but reaches the tree's copy.
    return unreadable_for(executable, real, (setpriv, "--reuid=nobody", "--regid=nogroup", "--clear-groups"))


def unreadable_for(executable, real, prefix):
    def prepare(tree):
        os.chmod(tree.root, 0o755)
        for directory in ("assets", "run"):
            os.chmod(tree.path(directory), 0o777)
        os.chmod(tree.path("assets/Shaders.glsl"), 0)

    def names_every_file_tried(screen, run):
        tried = ["../assets/Shaders.glsl", "Shaders", *tried_beside(os.path.join(os.path.dirname(run.working_directory), "bin"))]
        expect_failure(run, MISSING_FIRST_SOURCE + re.escape(not_found_line(tried)))
    run_with_assets(executable, real_text(real), names_every_file_tried, prefix, prepare, copy_program=True)


def case_garbage(executable, real):
    # Random bytes hold no header line: nothing to find.
    run_with_assets(executable, effects.garbage(65536, 1), fails_with(MISSING_FIRST_SOURCE))
    # Under the real headers, the garbage reaches the compiler, whose log says so.
    text = effects.garbage_bodies(real_text(real), 2)
    run_with_assets(executable, text, fails_in_section(r"error: [^\n]*", text, "Composite.VS"))


def case_nul_in_section(executable, real):
    # The source is a C string: the compiler sees the section up to the NUL,
    # a function cut short, and reports its end.
    text = effects.with_byte_inside_body(real_text(real), "Composite.VS", b"\0")
    run_with_assets(executable, text,
                    fails_in_section(r"error: syntax error, unexpected end of file[^\n]*", text, "Composite.VS"))


def case_carriage_returns(executable, real):
    # Names stop at the carriage return; the compiler takes "\r\n" line ends.
    run_with_assets(executable, effects.carriage_returns(real_text(real)), runs)


def case_large_file(executable, real):
    # 64 MB, nearly all of it lines outside every section.
    def prepare(tree):
        with open(tree.path("assets/Shaders.glsl"), "ab") as stream:
            stream.write(b"\n--\n")
            line = b"// " + b"padding " * 15 + b"\n"
            block = line * ((1 << 20) // len(line))
            while stream.tell() < 64 << 20:
                stream.write(block)
    run_with_assets(executable, real_text(real), runs, prepare=prepare)


def case_missing_section(executable, real):
    # Each of the six in turn: the message names the stage and the full key.
    for name, _ in effects.DEMO_SECTIONS:
        run_with_assets(executable, effects.without_section(real_text(real), name),
                        fails_with(version_line_then(re.escape(effects.missing_message(name)))))


def case_compile_error(executable, real):
    # The log comes out verbatim, its "%" conversions untouched.
    text = effects.compile_error(real_text(real))
    line = header_line_number(text, "Particle.FS")
    log = compile_log_line(line, r"preprocessor error: #error " + re.escape(effects.PERCENT_TEXT.decode()))
    run_with_assets(executable, text, fails_with(version_line_then(log)))


def case_link_error(executable, real):
    # Every stage compiles; the linker's log names what is missing.
    run_with_assets(executable, effects.link_error(real_text(real)),
                    fails_with(version_line_then(r"error: fragment shader lacks `main'\n")))


def case_high_bytes(executable, real):
    # A name ends at its first byte above 0x7F, and the keys still find their
    # sections by longest prefix.
    run_with_assets(executable, effects.high_bytes_in_names(real_text(real)), runs)
    # A header of nothing but such bytes closes the section before it instead.
    run_with_assets(executable, effects.high_bytes_only_name(real_text(real)), fails_with(MISSING_FIRST_SOURCE))


# Hostile surroundings.

def case_shaders_beside(executable, real):
    # No ../assets/ at all: the store's last resort, Shaders in the working directory.
    def lay_out(tree):
        tree.put("run/Shaders", real_text(real))
        return tree.path("run")
    run_demo(executable, lay_out, runs)


def case_odd_path(executable, real):
    # Over 300 bytes of path, with spaces, UTF-8 and bytes that are not UTF-8.
    def lay_out(tree):
        component = "dir with spaces \u00e9\u00fc\u4e2d ".encode() + b"\xff latin1 \xe9"
        parent = tree.root.encode()
        while len(parent) <= 300:
            parent = os.path.join(parent, component)
        os.makedirs(os.path.join(parent, b"assets"))
        with open(os.path.join(parent, b"assets", b"Shaders.glsl"), "wb") as stream:
            stream.write(real_text(real))
        working_directory = os.path.join(parent, b"run \xc3\xa9 \xff")
        os.mkdir(working_directory)
        return working_directory
    run_demo(executable, lay_out, runs)


def unused_display_number():
    for number in range(900, 1000):
        if not os.path.exists(f"/tmp/.X{number}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{number}"):
            return number
    raise Failure("no unused display number")


def case_display_nowhere(executable, real):
    # No server behind the name, or no valid name at all: the window system's
    # own reason, on one line that names the display, before any OpenGL.
    def lay_out(tree):
        tree.put("assets/Shaders.glsl", real_text(real))
        return tree.directory("run")

    for display_name in (f":{unused_display_number()}", "nowhere"):
        def names_display(screen, run):
            stderr = expect_failure(run, r"GLFW Error: [^\n]+\n\n")
            expect(display_name in stderr, f"the message does not name the display {display_name!r}: {stderr!r}")
        run_demo(executable, lay_out, names_display, display_name=display_name)


CASES = {
    "empty": case_empty,
    "directory": case_directory,
    "unreadable": case_unreadable,
    "garbage": case_garbage,
    "nul-in-section": case_nul_in_section,
    "carriage-returns": case_carriage_returns,
    "large-file": case_large_file,
    "missing-section": case_missing_section,
    "compile-error": case_compile_error,
    "link-error": case_link_error,
    "high-bytes": case_high_bytes,
    "shaders-beside": case_shaders_beside,
    "odd-path": case_odd_path,
    "display-nowhere": case_display_nowhere,
}

if __name__ == "__main__":
    sys.exit(run_case(CASES, __doc__))
