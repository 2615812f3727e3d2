#!/usr/bin/python3
"""The scripted replay of the real effect file against a picture committed
with it: frame_replay runs on a private X server, as the end-to-end cases run
the demo, and its last frame must match the reference.

    frame_budget_replay_test.py REPLAY_EXECUTABLE EFFECT_FILE REFERENCE_PNG OUTPUT_DIR

Guards any change to what the demo draws: shaders, uniforms, buffer roles,
blending, the composite, the clock or the mouse path. A renderer of another
version may round differently, hence the small tolerance. When the shaders
change on purpose, regenerate the picture from the build folder and look at
it before committing:
    xvfb-run -a ./frame_replay ../tests/frame_budget/frame_budget_replay_reference.png
"""

import os
import shutil
import subprocess
import sys

from checks import Failure, expect, outcome
from demo_runs import read_png, run_on_private_display, start_demo

# A ceiling: 36 frames of the full effect on a software renderer, slower
# still under the sanitizers and beside other work.
REPLAY_SECONDS = 540
# Per pixel, the largest step of any channel that still counts as equal; at
# most one pixel in this many may step further.
CHANNEL_TOLERANCE = 3
PIXELS_PER_DIFFERENCE_ALLOWED = 200


def differences(actual, expected):
    """How many pixels step further than the tolerance, and the largest step."""
    over, largest = 0, 0
    for pixel in range(0, len(actual), 3):
        step = max(abs(actual[pixel + channel] - expected[pixel + channel]) for channel in range(3))
        over += step > CHANNEL_TOLERANCE
        largest = max(largest, step)
    return over, largest


def check_replay(replay, reference, output_directory):
    try:
        status = replay.process.wait(REPLAY_SECONDS)
    except subprocess.TimeoutExpired:
        raise Failure(f"the replay still runs {REPLAY_SECONDS} s later")
    expect(status == 0, f"the replay ended with status {status}")
    picture = os.path.join(replay.working_directory, "replay.png")
    width, height, actual = read_png(picture)
    expected_width, expected_height, expected = read_png(reference)
    expect((width, height) == (expected_width, expected_height),
           f"the replay is {width}x{height}, the reference {expected_width}x{expected_height}")
    if actual == expected:
        return
    saved = os.path.join(output_directory, "frame_budget_replay_actual.png")
    shutil.copyfile(picture, saved)
    over, largest = differences(actual, expected)
    expect(over <= width * height // PIXELS_PER_DIFFERENCE_ALLOWED,
           f"the replay differs from {reference} in {over} pixels (largest step {largest}/255); this run's "
           f"picture is {saved}; if the change is intended, regenerate the reference as {__file__} says")


def main(arguments):
    if len(arguments) != 4:
        sys.exit(__doc__)
    executable, effect_file, reference, output_directory = arguments
    return outcome(lambda: run_on_private_display(
        lambda display: start_demo(executable, effect_file, display, ["replay.png"]),
        lambda screen, replay: check_replay(replay, reference, output_directory)))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
