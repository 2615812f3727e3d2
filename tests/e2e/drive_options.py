#!/usr/bin/python3
"""Runs the demo executable with command-line options, each case on a private
X server, and checks what the user gets: the exit status, what is printed,
and the files written.

    drive_options.py CASE EXECUTABLE EFFECT_FILE
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile

from drive_demo import Failure, expect, outcome, start_x_server

CLIENT_SIZE = 1024
RUN_SECONDS = 120


class Tree:
    """A scratch folder: assets/Shaders.glsl, and run/ to work in."""

    def __init__(self, effect_file):
        self.root = tempfile.mkdtemp(prefix="vanteel-options-")
        os.mkdir(self.path("assets"))
        os.mkdir(self.path("run"))
        shutil.copy(effect_file, self.path("assets", "Shaders.glsl"))

    def path(self, *names):
        return os.path.join(self.root, *names)


def run(executable, arguments, working_directory, display_name=None):
    environment = {name: value for name, value in os.environ.items() if name != "DISPLAY"}
    if display_name:
        environment["DISPLAY"] = display_name
    return subprocess.run([os.path.abspath(executable), *arguments], cwd=working_directory, env=environment,
                          capture_output=True, timeout=RUN_SECONDS)


def run_on_display(executable, arguments, working_directory):
    server, display_name = start_x_server()
    try:
        result = run(executable, arguments, working_directory, display_name)
    finally:
        server.terminate()
        server.wait()
    expect(result.returncode == 0, f"{' '.join(arguments)} ended with status {result.returncode}; "
                                   f"standard error:\n{result.stderr.decode(errors='replace')[-4000:]}")
    return result


def pixels_of(png):
    """The picture's size and RGB bytes, read by ImageMagick."""
    size = subprocess.run(["identify", "-format", "%w %h", png], capture_output=True, check=True).stdout.split()
    rgb = subprocess.run(["convert", png, "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
    return (int(size[0]), int(size[1])), rgb


def is_grey(rgb, offset):
    return all(118 <= rgb[offset + channel] <= 138 for channel in range(3))


def expect_nebula(png):
    """A window-sized picture: grey at the corners, particles over much of the middle."""
    expect(os.path.exists(png), f"no picture was written to {png}")
    size, rgb = pixels_of(png)
    expect(size == (CLIENT_SIZE, CLIENT_SIZE), f"the picture is {size[0]}x{size[1]}")
    corner = 0
    far_corner = ((CLIENT_SIZE - 1) * CLIENT_SIZE + CLIENT_SIZE - 1) * 3
    expect(is_grey(rgb, corner) and is_grey(rgb, far_corner), "the picture's corners are not the grey background")
    middle = [((y * CLIENT_SIZE) + x) * 3 for y in range(256, 768, 8) for x in range(256, 768, 8)]
    lit = sum(1 for offset in middle if not is_grey(rgb, offset))
    expect(lit > len(middle) // 4, f"only {lit} of {len(middle)} points in the middle show particles")
    return rgb


def case_usage(executable, effect_file):
    """Help, version and mistakes are answered without a window: no display is given."""
    help_run = run(executable, ["--help"], tempfile.gettempdir())
    expect(help_run.returncode == 0, f"--help ended with status {help_run.returncode}")
    expect(help_run.stdout.startswith(b"usage: vanteel [--help]"), "--help does not start with the usage line")
    expect(b"--watch" in help_run.stdout, "--help does not list --watch")
    version = run(executable, ["--version"], tempfile.gettempdir())
    expect(version.returncode == 0 and version.stdout.startswith(b"Vanteel "), "--version did not print it")
    for arguments, problem in ((["--frames", "ten"], b"--frames wants"), (["--fullscreen"], b"unknown option")):
        mistake = run(executable, arguments, tempfile.gettempdir())
        expect(mistake.returncode == 2, f"{arguments} ended with status {mistake.returncode}, not 2")
        lines = mistake.stderr.decode(errors="replace").splitlines()
        expect(len(lines) == 1 and problem.decode() in lines[0] and "usage: vanteel" in lines[0],
               f"{arguments} printed {lines} instead of one usage line")
        expect(mistake.stdout == b"", f"{arguments} printed on standard output")


def case_screenshot(executable, effect_file):
    tree = Tree(effect_file)
    try:
        picture = tree.path("frame.png")
        run_on_display(executable, ["--frames", "60", "--screenshot", picture], tree.path("run"))
        expect_nebula(picture)
    finally:
        shutil.rmtree(tree.root)


def case_fixed_step(executable, effect_file):
    """The same fixed step and no input: the same picture, run after run."""
    tree = Tree(effect_file)
    try:
        pictures = [tree.path(f"run{index}.png") for index in range(2)]
        for picture in pictures:
            run_on_display(executable, ["--fixed-step", "16667", "--frames", "20", "--screenshot", picture],
                           tree.path("run"))
        first, second = (expect_nebula(picture) for picture in pictures)
        differing = sum(1 for offset in range(0, len(first), 3) if first[offset:offset + 3] != second[offset:offset + 3])
        expect(differing == 0, f"two runs with the same fixed step differ in {differing} pixels")
    finally:
        shutil.rmtree(tree.root)


def case_benchmark(executable, effect_file):
    tree = Tree(effect_file)
    try:
        stats = tree.path("stats.json")
        result = run_on_display(executable, ["--benchmark", "3", "--warmup", "1", "--stats-file", stats],
                                tree.path("run"))
        printed = result.stdout.decode(errors="replace")
        with open(stats) as stream:
            figures = json.load(stream)
        frames = figures["frames"]
        expect(frames > 0 and frames == len(figures["frameTimesMilliseconds"]),
               f"the stats claim {frames} frames and list {len(figures['frameTimesMilliseconds'])}")
        measured = sum(figures["frameTimesMilliseconds"]) / 1000
        expect(3 <= measured < 3 + 2 * max(figures["frameTimesMilliseconds"]) / 1000,
               f"the measured frames cover {measured:.2f} s, not the 3 s asked for")
        for name in ("median", "p95", "p99", "max"):
            expect(figures["frameMilliseconds"][name] > 0, f"no {name} frame time")
        expect(figures["firstFrameSeconds"] > 0 and figures["renderer"], "no first-frame time or renderer")
        expect(f"frames: {frames} measured" in printed, f"standard output does not give the frames:\n{printed}")
        expect(f"renderer: {figures['renderer']}" in printed, f"standard output lacks the renderer:\n{printed}")
    finally:
        shutil.rmtree(tree.root)


def case_assets(executable, effect_file):
    """An unpacked copy started from anywhere finds its effect file through --assets."""
    tree = Tree(effect_file)
    elsewhere = tempfile.mkdtemp(prefix="vanteel-elsewhere-")
    try:
        picture = os.path.join(elsewhere, "frame.png")
        run_on_display(executable, ["--assets", tree.path("assets"), "--frames", "30", "--screenshot", picture],
                       elsewhere)
        expect_nebula(picture)
    finally:
        shutil.rmtree(tree.root)
        shutil.rmtree(elsewhere)


CASES = {
    "usage": case_usage,
    "screenshot": case_screenshot,
    "fixed-step": case_fixed_step,
    "benchmark": case_benchmark,
    "assets": case_assets,
}


def main(arguments):
    if len(arguments) != 3 or arguments[0] not in CASES:
        sys.exit(__doc__ + "CASE is one of: " + ", ".join(CASES))
    case, executable, effect_file = arguments
    return outcome(lambda: CASES[case](executable, effect_file))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
