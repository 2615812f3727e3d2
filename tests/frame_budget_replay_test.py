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
    xvfb-run -a ./frame_replay ../tests/frame_budget_replay_reference.png
"""

import os
import shutil
import struct
import subprocess
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "e2e"))
from drive_demo import Demo, Failure, expect, outcome, run_on_private_display  # noqa: E402

# 36 frames of the full effect on a software renderer, slower still under the sanitizers.
REPLAY_SECONDS = 240
# Per pixel, the largest step of any channel that still counts as equal; at
# most one pixel in this many may step further.
CHANNEL_TOLERANCE = 3
PIXELS_PER_DIFFERENCE_ALLOWED = 200


def paeth(left, up, up_left):
    estimate = left + up - up_left
    distances = abs(estimate - left), abs(estimate - up), abs(estimate - up_left)
    if distances[0] <= distances[1] and distances[0] <= distances[2]:
        return left
    return up if distances[1] <= distances[2] else up_left


def unfilter(kind, line, previous):
    """Undoes one row's PNG filter in place; three bytes a pixel."""
    if kind == 1:
        for i in range(3, len(line)):
            line[i] = (line[i] + line[i - 3]) & 255
    elif kind == 2:
        line[:] = bytes((a + b) & 255 for a, b in zip(line, previous))
    elif kind == 3:
        for i in range(len(line)):
            left = line[i - 3] if i >= 3 else 0
            line[i] = (line[i] + ((left + previous[i]) >> 1)) & 255
    elif kind == 4:
        for i in range(len(line)):
            if i >= 3:
                line[i] = (line[i] + paeth(line[i - 3], previous[i], previous[i - 3])) & 255
            else:
                line[i] = (line[i] + previous[i]) & 255
    else:
        expect(kind == 0, f"unknown PNG filter {kind}")


def read_png(path):
    """An 8-bit RGB PNG without interlacing, as (width, height, RGB bytes from the top row)."""
    with open(path, "rb") as stream:
        data = stream.read()
    expect(data[:8] == b"\x89PNG\r\n\x1a\n", f"{path} is not a PNG")
    offset, compressed, header = 8, [], None
    while offset + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[offset:offset + 8])
        body = data[offset + 8:offset + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            compressed.append(body)
        offset += 12 + length
    expect(header is not None, f"{path} has no header")
    width, height, depth, colour, _, _, interlace = header
    expect(depth == 8 and colour == 2 and interlace == 0, f"{path} is not 8-bit RGB without interlacing")
    raw = zlib.decompress(b"".join(compressed))
    stride = width * 3
    previous = bytearray(stride)
    rgb = bytearray()
    for row in range(height):
        start = row * (stride + 1)
        line = bytearray(raw[start + 1:start + 1 + stride])
        unfilter(raw[start], line, previous)
        rgb += line
        previous = line
    return width, height, bytes(rgb)


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
        lambda display: Demo(executable, effect_file, display, ["replay.png"]),
        lambda screen, replay: check_replay(replay, reference, output_directory)))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
