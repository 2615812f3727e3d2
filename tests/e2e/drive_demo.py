#!/usr/bin/python3
"""Runs the demo executable the way a user would, on a private X server,
and checks what can be seen from outside: the window, the pictures, the
answers to the mouse and the keyboard, the exit status and the diagnostics.

    drive_demo.py CASE EXECUTABLE [EFFECT_FILE]

EFFECT_FILE is copied to ../assets/Shaders.glsl as seen from the demo's
working directory; without it the demo finds no effect file at all.
"""

import json
import os
import re
import subprocess
import sys

from checks import expect, outcome
from demo_checks import (DRAG_STEP, check_window_placement, escape_ends_with_status_0, expect_drag_changes,
                         SETTLE_FRAMES, Probe, only_escape_ends, probe_double_click, probe_press_and_move,
                         wait_for_frames)
from demo_runs import (CLIENT_SIZE, EXIT_SECONDS, distinct_colours, headless_environment, not_found_line, press_escape,
                       run_on_private_display, start_demo, tried_beside)


def run_probe_checks(screen, demo, window):
    probe = probe_press_and_move(screen, demo, window)
    probe.point_at(900, 80)
    probe.wait_for(900, 80, "red", "a second move with the button held moves mLoc")

    # Left of the window and above it: a drag beyond the client area.
    probe.point_at(-150, -40)
    probe.still(900, 80, "red", "a move outside the window moved mLoc")
    demo.xdotool("mouseup", 1)
    probe.wait_for(900, 80, "blue", "a release outside the window is delivered")

    probe_double_click(probe)
    demo.xdotool("mouseup", 1, "mousedown", 1)
    probe.wait_for(400, 800, "red", "a third press starts over as a press")
    demo.xdotool("mouseup", 1)
    probe.wait_for(400, 800, "blue", "the release after a third press")
    return probe


def case_startup(screen, demo):
    """The real effect file: placement, caption, version line, a picture
    that answers a drag, and Escape."""
    window = screen.window_named("Vanteel", demo)
    check_window_placement(screen, window)
    expect("OpenGL Version: " in demo.stderr(), "no 'OpenGL Version: ' line on standard error")
    left, top = screen.origin_of(window)
    wait_for_frames(screen, demo, window, 2, "the first frames")
    picture = screen.capture(left, top, CLIENT_SIZE, CLIENT_SIZE)
    expect(distinct_colours(picture) > 1, "the window shows a single colour")
    expect_drag_changes(screen, demo, window)
    escape_ends_with_status_0(screen, demo, window)


def case_input(screen, demo):
    """The probe effect file: every mouse rule, read off the screen."""
    window = screen.window_named("Vanteel", demo)
    probe = run_probe_checks(screen, demo, window)
    only_escape_ends(probe, window, ("q", "space", "Return", "alt+F4", "ctrl+c"))


def case_close(screen, demo):
    window = screen.window_named("Vanteel", demo)
    screen.close_as_window_manager(window)
    status = demo.wait_for_exit()
    expect(status == 0, f"closing the window ended the demo with status {status}")


# A benchmark long enough to be cut short, measuring from its first frames,
# and a screenshot due only at its end.
CUT_SHORT_RUN = ["--benchmark", "600", "--warmup", "0", "--stats-file", "stats.json", "--screenshot", "end.png"]


def expect_cut_short(demo, how, screenshot_missed):
    """Status 1, one line that says so, and the frames measured so far in a file marked incomplete."""
    status = demo.wait_for_exit()
    expect(status == 1, f"{how} during a benchmark ended the demo with status {status}")
    said = demo.stderr()
    expect(re.search(r"the benchmark was cut short after [0-9.]+ of 600 seconds \([0-9]+ frames\)", said),
           f"{how} during a benchmark is not reported as cutting it short")
    expect(("the window was closed before the screenshot end.png was taken" in said) == screenshot_missed,
           f"{how}: the missing screenshot is {'not ' if screenshot_missed else ''}reported")
    with open(os.path.join(demo.working_directory, "stats.json")) as stream:
        figures = json.load(stream)
    expect(figures["complete"] is False and figures["frames"] == len(figures["frameTimesMilliseconds"]),
           f"{how}: the stats file says complete={figures['complete']}, frames={figures['frames']}")


def case_destroy(screen, demo):
    window = screen.window_named("Vanteel", demo)
    Probe(screen, demo, window).wait_for_frames(SETTLE_FRAMES, "frames before the window is destroyed")
    demo.xdotool("windowclose", window.id)
    expect_cut_short(demo, "destroying the window", screenshot_missed=True)


def case_escape_mid_benchmark(screen, demo):
    window = screen.window_named("Vanteel", demo)
    Probe(screen, demo, window).wait_for_frames(SETTLE_FRAMES, "frames before Escape")
    press_escape(screen, demo, window)
    expect_cut_short(demo, "Escape", screenshot_missed=False)
    expect(os.path.isfile(os.path.join(demo.working_directory, "end.png")), "Escape left no screenshot")


def case_missing_effect(screen, demo):
    status = demo.wait_for_exit()
    expect(status == 1, f"a missing effect file ended the demo with status {status}")
    # The message, its newline, then every file tried: the working directory's
    # own, then those beside the program (its copy in the tree's bin/).
    tried = ["../assets/Shaders.glsl", "Shaders", *tried_beside(demo.tree.path("bin"))]
    expected = "Can't find vertex shader: Shaders.Composite.VS\n\n" + not_found_line(tried)
    expect(demo.stderr().endswith(expected), f"standard error ends {demo.stderr()[-600:]!r}, not {expected!r}")


CASES = {
    "startup": case_startup,
    "input": case_input,
    "close": case_close,
    "destroy": case_destroy,
    "escape-mid-benchmark": case_escape_mid_benchmark,
    "missing-effect": case_missing_effect,
}
CASE_ARGUMENTS = {"startup": DRAG_STEP, "destroy": CUT_SHORT_RUN, "escape-mid-benchmark": CUT_SHORT_RUN}


def case_no_display(executable):
    result = subprocess.run([os.path.abspath(executable)], env=headless_environment(), stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, timeout=EXIT_SECONDS)
    expect(result.returncode == 1, f"without a display the demo ended with status {result.returncode}")
    expect(b"GLFW Error: " in result.stderr, "without a display standard error lacks 'GLFW Error: '")


def main(arguments):
    if len(arguments) not in (2, 3) or (arguments[0] not in CASES and arguments[0] != "no-display"):
        sys.exit(__doc__ + "CASE is one of: " + ", ".join([*CASES, "no-display"]))
    case, executable = arguments[0], arguments[1]
    effect_file = arguments[2] if len(arguments) == 3 else None
    if case == "no-display":
        return outcome(lambda: case_no_display(executable))
    arguments = CASE_ARGUMENTS.get(case, ())
    return outcome(lambda: run_on_private_display(
        lambda display: start_demo(executable, effect_file, display, arguments), CASES[case]))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
