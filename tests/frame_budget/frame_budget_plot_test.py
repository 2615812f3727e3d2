#!/usr/bin/python3
"""tools/plot-scaling.py on a small sweep: a PNG of the size it draws, with
both pipelines' colours in it; and a figures file without a sweep refused,
with no picture left behind.

    frame_budget_plot_test.py PLOT_SCRIPT OUTPUT_DIR
"""

import json
import os
import subprocess
import sys

from checks import expect, outcome

SWEEP = {
    "renderer": "test renderer",
    "scaling": {
        "runs": 1, "seconds": 3.0, "warmup_seconds": 1.0,
        "counts": [
            {"particles": 100000, "demo_frames": 90, "floor_frames": 120, "demo_ms": 14.0, "floor_ms": 10.0,
             "demo_over_floor": 1.4},
            {"particles": 1400000, "demo_frames": 20, "floor_frames": 25, "demo_ms": 40.0, "floor_ms": 30.0,
             "demo_over_floor": 1.333},
            {"particles": 2800000, "demo_frames": 10, "floor_frames": 12, "demo_ms": 70.0, "floor_ms": 50.0,
             "demo_over_floor": 1.4},
        ],
        "demo_fit": {"ms_per_million": 20.4, "ms_at_none": 12.8},
        "floor_fit": {"ms_per_million": 14.9, "ms_at_none": 7.0},
    },
}
# matplotlib's first two colours, which the script gives the demo and the floor.
DEMO_RGB, FLOOR_RGB = (31, 119, 180), (255, 127, 14)


def plot(script, figures, directory, name):
    source, picture = os.path.join(directory, f"{name}.json"), os.path.join(directory, f"{name}.png")
    if os.path.exists(picture):
        os.unlink(picture)
    with open(source, "w", encoding="utf-8") as file:
        json.dump(figures, file)
    return subprocess.run([sys.executable, script, source, picture], capture_output=True), picture


def pixels_of(picture, rgb):
    data = subprocess.run(["convert", picture, "-alpha", "off", "-depth", "8", "rgb:-"], capture_output=True,
                          check=True).stdout
    return sum(1 for offset in range(0, len(data), 3) if tuple(data[offset:offset + 3]) == rgb)


def check_plot(script, directory):
    result, picture = plot(script, SWEEP, directory, "sweep")
    expect(result.returncode == 0, f"the plot ended with status {result.returncode}: {result.stderr.decode()}")
    kind = subprocess.run(["identify", "-format", "%m %w %h", picture], capture_output=True).stdout.decode()
    expect(kind == "PNG 800 500", f"{picture} is {kind or 'no picture'}, not an 800x500 PNG")
    for name, rgb in (("demo", DEMO_RGB), ("floor", FLOOR_RGB)):
        expect(pixels_of(picture, rgb) > 100, f"the {name}'s colour {rgb} is hardly in {picture}")

    result, picture = plot(script, dict(SWEEP, scaling=None), directory, "no-sweep")
    expect(result.returncode != 0 and b"--particle-counts" in result.stderr,
           f"figures without a sweep ended with status {result.returncode}: {result.stderr.decode()}")
    expect(not os.path.exists(picture), f"figures without a sweep left {picture}")


def main(arguments):
    if len(arguments) != 2:
        sys.exit(__doc__)
    return outcome(lambda: check_plot(*arguments))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
