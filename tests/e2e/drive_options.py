#!/usr/bin/python3
"""Runs the demo executable with command-line options, each case on a private
X server, and checks what the user gets: the exit status, what is printed,
and the files written.

    drive_options.py CASE EXECUTABLE EFFECT_FILE
"""

import csv
import ctypes
import ctypes.util
import json
import os
import resource
import shutil
import subprocess
import sys
import tempfile

import jsonschema

from checks import expect, outcome
from demo_checks import expect_nebula
from demo_runs import (SCREEN_HEIGHT, SCREEN_WIDTH, Tree, XServer, press_escape, run_command_line,
                       run_command_line_on_display, run_environment, run_on_private_display, start_demo)

STATS_SCHEMA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs",
                            "benchmark-stats.schema.json")


def swap_interval_in_force(display_name, asked):
    """The interval a run on this display can have in force: the one asked for
    where the X server's GLX can set and report it, None where it cannot say."""
    x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
    glx = ctypes.CDLL(ctypes.util.find_library("GL"))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultScreen.argtypes = x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    glx.glXQueryExtensionsString.restype = ctypes.c_char_p
    glx.glXQueryExtensionsString.argtypes = [ctypes.c_void_p, ctypes.c_int]
    display = x11.XOpenDisplay(display_name.encode())
    expect(display, f"cannot open {display_name} to ask its GLX")
    try:
        extensions = (glx.glXQueryExtensionsString(display, x11.XDefaultScreen(display)) or b"").split()
    finally:
        x11.XCloseDisplay(display)
    return asked if b"GLX_EXT_swap_control" in extensions else None


def case_usage(executable, effect_file):
    """Help, version and mistakes are answered without a window: no display is given."""
    help_run = run_command_line(executable, ["--help"], tempfile.gettempdir())
    expect(help_run.returncode == 0, f"--help ended with status {help_run.returncode}")
    expect(help_run.stdout.startswith(b"usage: vanteel [--help]"), "--help does not start with the usage line")
    expect(b"--watch" in help_run.stdout, "--help does not list --watch")
    version = run_command_line(executable, ["--version"], tempfile.gettempdir())
    expect(version.returncode == 0 and version.stdout.startswith(b"Vanteel "), "--version did not print it")
    for arguments, problem in ((["--frames", "ten"], b"--frames wants"), (["--full-screen"], b"unknown option"),
                               (["--benchmark", "2", "--frames", "3"], b"do not go together")):
        mistake = run_command_line(executable, arguments, tempfile.gettempdir())
        expect(mistake.returncode == 2, f"{arguments} ended with status {mistake.returncode}, not 2")
        lines = mistake.stderr.decode(errors="replace").splitlines()
        expect(len(lines) == 1 and problem.decode() in lines[0] and "usage: vanteel" in lines[0],
               f"{arguments} printed {lines} instead of one usage line")
        expect(mistake.stdout == b"", f"{arguments} printed on standard output")


def case_screenshot(executable, effect_file):
    with Tree(effect_file) as tree:
        picture = tree.path("frame.png")
        run_command_line_on_display(executable, ["--frames", "60", "--screenshot", picture], tree.path("run"))
        expect_nebula(picture)


def case_fixed_step(executable, effect_file):
    """The same fixed step and no input: the same picture, run after run."""
    with Tree(effect_file) as tree:
        pictures = [tree.path(f"run{index}.png") for index in range(2)]
        for picture in pictures:
            run_command_line_on_display(
                executable, ["--fixed-step", "16667", "--frames", "20", "--screenshot", picture], tree.path("run"))
        first, second = (expect_nebula(picture) for picture in pictures)
        differing = sum(1 for offset in range(0, len(first), 3) if first[offset:offset + 3] != second[offset:offset + 3])
        expect(differing == 0, f"two runs with the same fixed step differ in {differing} pixels")


def case_benchmark(executable, effect_file):
    """The report people compare: a JSON file that the schema in docs/ accepts,
    whose figures agree with its frames and with the summary printed; and a
    CSV file with a row per measured frame."""
    with Tree(effect_file) as tree:
        stats = tree.path("stats.json")
        result = run_command_line_on_display(
            executable, ["--benchmark", "3", "--warmup", "1", "--stats-file", stats], tree.path("run"))
        printed = result.stdout.decode(errors="replace")
        with open(stats) as stream:
            figures = json.load(stream)
        with open(STATS_SCHEMA) as stream:
            jsonschema.Draft202012Validator(json.load(stream)).validate(figures)
        frames = figures["frames"]
        expect(frames > 0 and frames == len(figures["frameTimesMilliseconds"]) == len(figures["frameCpuMilliseconds"]),
               f"the stats claim {frames} frames and list {len(figures['frameTimesMilliseconds'])}")
        expect(figures["complete"] and figures["requestedSeconds"] == 3 and 3 <= figures["measuredSeconds"] < 3 + 2 *
               max(figures["frameTimesMilliseconds"]) / 1000, f"the measured seconds are {figures['measuredSeconds']}")
        with open(effect_file, "rb") as stream:
            expected_hash = subprocess.run(["xxh64sum"], input=stream.read(), capture_output=True,
                                           check=True).stdout.split()[0].decode()
        expect(figures["effectFile"]["hash"] == expected_hash,
               f"the effect file's hash is {figures['effectFile']['hash']}, xxh64sum says {expected_hash}")
        expect((figures["window"], figures["particles"]) == ({"width": 1024, "height": 1024}, 700000),
               "the window or particles are not the demo's")
        expect(f"benchmark: {frames} frames in {figures['measuredSeconds']:.2f} of 3 s" in printed,
               f"standard output does not give the frames:\n{printed}")
        expect(f"GL: {figures['gl']['vendor']}, {figures['gl']['renderer']}" in printed,
               f"standard output lacks the renderer:\n{printed}")

        rows_file = tree.path("frames.csv")
        run_command_line_on_display(executable, ["--benchmark", "1", "--warmup", "0", "--stats-file", rows_file],
                                    tree.path("run"))
        with open(rows_file, newline="") as stream:
            rows = list(csv.DictReader(stream))
        expect(rows and [int(row["frame"]) for row in rows] == list(range(1, len(rows) + 1)),
               f"the CSV file's frames are numbered {[row['frame'] for row in rows][:10]}...")
        expect(abs(sum(float(row["milliseconds"]) for row in rows) / 1000 - 1) < 1,
               "the CSV file's frame times do not add up to about the second measured")


def case_assets(executable, effect_file):
    """An unpacked copy started from anywhere finds its effect file through --assets."""
    with Tree(effect_file) as tree, Tree() as elsewhere:
        picture = elsewhere.path("frame.png")
        run_command_line_on_display(
            executable, ["--assets", tree.path("assets"), "--frames", "30", "--screenshot", picture], elsewhere.root)
        expect_nebula(picture)


def case_beside_program(executable, effect_file):
    """A copy started from an unrelated folder, without --assets, finds the
    effect file beside itself: in the download package's ../assets/, and in
    the install layout's ../share/vanteel/."""
    for folder in ("assets", "share/vanteel"):
        with Tree() as tree, Tree() as elsewhere:
            program = tree.program(executable)
            shutil.copyfile(effect_file, os.path.join(tree.directory(folder), "Shaders.glsl"))
            run_command_line_on_display(program, ["--frames", "3"], elsewhere.root)


def case_window_and_particles(executable, effect_file):
    """Size, full screen, particle count and swap interval, each seen in what the
    run leaves: the picture's size, the report's figures, the window's place."""
    with Tree(effect_file) as tree:
        for arguments, size in ((["--size", "640x480"], (640, 480)), (["--size=333x1000"], (333, 1000)),
                                (["--fullscreen"], (SCREEN_WIDTH, SCREEN_HEIGHT))):
            picture = tree.path("frame.png")
            run_command_line_on_display(executable, [*arguments, "--frames", "20", "--screenshot", picture],
                                        tree.path("run"))
            expect_nebula(picture, size)

        # The smallest count the command line takes and one between; the
        # largest, 2 GiB a buffer, is the simulation's own test's.
        for particles, vsync, asked in ((1000, "--vsync", 1), (100000, "--no-vsync", 0)):
            stats = tree.path("stats.json")
            with XServer() as server:
                run = run_command_line(executable, ["--particles", str(particles), vsync, "--size", "640x480",
                                                    "--benchmark", "1", "--warmup", "0", "--stats-file", stats],
                                       tree.path("run"), server.display_name)
                in_force = swap_interval_in_force(server.display_name, asked)
            expect(run.returncode == 0, f"--particles {particles} {vsync} ended with status {run.returncode}")
            with open(stats) as stream:
                figures = json.load(stream)
            expect((figures["window"], figures["particles"], figures["swapInterval"]) ==
                   ({"width": 640, "height": 480}, particles, in_force),
                   f"the report gives {figures['window']}, {figures['particles']} particles and interval "
                   f"{figures['swapInterval']}, not 640x480, {particles} and {in_force} (the X server's)")
            printed = run.stdout.decode(errors="replace")
            interval_text = "unknown" if in_force is None else str(in_force)
            expect(f"{particles} particles, swap interval {interval_text}," in printed,
                   f"standard output does not give the count and interval:\n{printed}")

    # Larger than the screen: centring would put the top-left corner off it.
    def case(screen, run):
        window = screen.window_named("Vanteel", run)
        expect(screen.origin_of(window) == (0, 0), f"the window starts at {screen.origin_of(window)}, off the screen")
        press_escape(screen, run, window)
        expect(run.wait_for_exit() == 0, "Escape did not end the run")
    run_on_private_display(lambda display_name: start_demo(
        executable, effect_file, display_name, ["--size", f"{SCREEN_WIDTH + 100}x{SCREEN_HEIGHT + 100}"]), case)

    # More than the GL can make or hold ends with the reason, not a crash.
    with Tree(effect_file) as tree, XServer() as server:
        wide = run_command_line(executable, ["--size", "20000x300", "--frames", "1"], tree.path("run"),
                                server.display_name)
        expect(wide.returncode == 1 and b"at most" in wide.stderr and b"not 20000x300" in wide.stderr,
               f"a 20000-pixel window ended with status {wide.returncode}: {wide.stderr[-300:]!r}")
        limited = subprocess.run([os.path.abspath(executable), "--particles", "30000000", "--frames", "2"],
                                 cwd=tree.path("run"), env=run_environment(server.display_name), capture_output=True,
                                 timeout=120, preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_AS, (2 << 30,) * 2))
        expect(limited.returncode == 1 and b"no room for 30000000 particles" in limited.stderr,
               f"30,000,000 particles in 2 GiB ended with status {limited.returncode}: {limited.stderr[-400:]!r}")


def case_record(executable, effect_file):
    """One PNG per frame shown, each the window's size, on the recording's
    1/60 s step: its last frame is the picture a 1/60 s fixed-step run ends on."""
    with Tree(effect_file) as tree:
        frames = tree.path("frames")
        picture = tree.path("reference.png")
        run_command_line_on_display(executable, ["--record", frames, "--frames", "12", "--size", "320x240"],
                                    tree.path("run"))
        names = sorted(os.listdir(frames))
        expect(names == [f"frame-{number:06d}.png" for number in range(1, 13)], f"the recording holds {names}")
        run_command_line_on_display(executable, ["--fixed-step", "16667", "--frames", "12", "--size", "320x240",
                                                 "--screenshot", picture], tree.path("run"))
        last = expect_nebula(os.path.join(frames, names[-1]), (320, 240))
        expect(last == expect_nebula(picture, (320, 240)), "the last recorded frame is not the fixed-step run's")

        blocked = tree.put("not-a-directory", b"")
        with XServer() as server:
            refused = run_command_line(executable, ["--record", os.path.join(blocked, "frames"), "--frames", "1"],
                                       tree.path("run"), server.display_name)
        expect(refused.returncode != 0 and b"Cannot make the directory" in refused.stderr,
               f"recording under a file ended with status {refused.returncode}: {refused.stderr[-300:]!r}")

        # A frame that cannot be written ends the run with its name, the
        # frames before it kept: one whose name a folder holds, and one on a
        # full disk, which the file opens onto but cannot take.
        for blocked_frame, block in ((3, os.mkdir), (2, lambda path: os.symlink("/dev/full", path))):
            frames = tree.path(f"frames-blocked-at-{blocked_frame}")
            os.mkdir(frames)
            block(os.path.join(frames, f"frame-{blocked_frame:06d}.png"))
            with XServer() as server:
                failed = run_command_line(executable, ["--record", frames, "--frames", "5", "--size", "64x64"],
                                          tree.path("run"), server.display_name)
            said = failed.stderr.decode(errors="replace")
            expect(failed.returncode == 1 and f"Cannot write the frame {frames}/frame-{blocked_frame:06d}.png" in said,
                   f"frame {blocked_frame} unwritable: status {failed.returncode}, {said[-300:]!r}")
            kept = sorted(name for name in os.listdir(frames) if os.path.isfile(os.path.join(frames, name))
                          and not os.path.islink(os.path.join(frames, name)))
            expect(kept == [f"frame-{number:06d}.png" for number in range(1, blocked_frame)],
                   f"frame {blocked_frame} unwritable left {kept}")


CASES = {
    "usage": case_usage,
    "screenshot": case_screenshot,
    "fixed-step": case_fixed_step,
    "benchmark": case_benchmark,
    "assets": case_assets,
    "beside-program": case_beside_program,
    "window-and-particles": case_window_and_particles,
    "record": case_record,
}


def main(arguments):
    if len(arguments) != 3 or arguments[0] not in CASES:
        sys.exit(__doc__ + "CASE is one of: " + ", ".join(CASES))
    case, executable, effect_file = arguments
    return outcome(lambda: CASES[case](executable, effect_file))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
