#!/usr/bin/python3
"""Runs the demo executable with command-line options, each case on a private
X server, and checks what the user gets: the exit status, what is printed,
and the files written.

    drive_options.py CASE EXECUTABLE EFFECT_FILE
"""

import json
import sys
import tempfile

from checks import expect, outcome
from demo_checks import expect_nebula
from demo_runs import Tree, run_command_line, run_command_line_on_display


def case_usage(executable, effect_file):
    """Help, version and mistakes are answered without a window: no display is given."""
    help_run = run_command_line(executable, ["--help"], tempfile.gettempdir())
    expect(help_run.returncode == 0, f"--help ended with status {help_run.returncode}")
    expect(help_run.stdout.startswith(b"usage: vanteel [--help]"), "--help does not start with the usage line")
    expect(b"--watch" in help_run.stdout, "--help does not list --watch")
    version = run_command_line(executable, ["--version"], tempfile.gettempdir())
    expect(version.returncode == 0 and version.stdout.startswith(b"Vanteel "), "--version did not print it")
    for arguments, problem in ((["--frames", "ten"], b"--frames wants"), (["--fullscreen"], b"unknown option")):
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
    with Tree(effect_file) as tree:
        stats = tree.path("stats.json")
        result = run_command_line_on_display(
            executable, ["--benchmark", "3", "--warmup", "1", "--stats-file", stats], tree.path("run"))
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


def case_assets(executable, effect_file):
    """An unpacked copy started from anywhere finds its effect file through --assets."""
    with Tree(effect_file) as tree, Tree() as elsewhere:
        picture = elsewhere.path("frame.png")
        run_command_line_on_display(
            executable, ["--assets", tree.path("assets"), "--frames", "30", "--screenshot", picture], elsewhere.root)
        expect_nebula(picture)


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
