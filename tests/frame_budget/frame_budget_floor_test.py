#!/usr/bin/python3
"""The frame benchmark's floor draws its points where the demo draws its
particles, at more than one particle count: the first frame of each, on a
fixed step, must light the same 32x32 blocks of the window.

    frame_budget_floor_test.py EXECUTABLE REAL_EFFECT_FILE FLOOR_EFFECT_FILE

The floor's composite paints a constant, so its run here takes the real
effect file's composite sections, which show the particle surface.

Guards the floor measuring a raster pattern of its own (its points on other
tiles than the demo's, which a software rasteriser draws at another cost), a
birth layout that drifted from the demo's, and a floor that ignores the
particle count.
"""

import sys

from checks import expect, outcome
from demo_checks import is_grey
from demo_runs import Tree, XServer, read_png, run_command_line
from effect_file_variants import body_range, with_body

# Wider than high, so that a floor not projected as the demo's particles are
# stretches its arms across blocks the demo leaves dark.
WIDTH, HEIGHT = 640, 384
BLOCK = 32
# A block counts as lit from this many pixels off the grey background, so
# that a few stray particles at an arm's edge do not decide it.
LIT_PIXELS = 8
# The blocks lit in one picture and not in the other, as a share of those
# lit in either: a few at the arms' edges, where the demo's faded particles
# are dropped and the floor's are not.
MOST_DIFFERING_SHARE = 0.1
# Fewer particles than the default shorten no arm, they only thin it out.
COUNTS = (20000, 300000)


def floor_showing_particles(real_effect_file, floor_effect_file):
    with open(real_effect_file, "rb") as real, open(floor_effect_file, "rb") as floor:
        real_text, floor_text = real.read(), floor.read()
    real_lines = real_text.split(b"\n")
    for section in ("Composite.VS", "Composite.FS"):
        first, end = body_range(real_lines, section)
        floor_text = with_body(floor_text, section, b"\n".join(real_lines[first:end]))
    return floor_text


def lit_blocks(png):
    width, height, rgb = read_png(png)
    expect((width, height) == (WIDTH, HEIGHT), f"{png} is {width}x{height}, not {WIDTH}x{HEIGHT}")
    lit = set()
    for top in range(0, HEIGHT, BLOCK):
        for left in range(0, WIDTH, BLOCK):
            pixels = sum(1 for y in range(top, top + BLOCK) for x in range(left, left + BLOCK)
                         if not is_grey(rgb, (y * WIDTH + x) * 3))
            if pixels >= LIT_PIXELS:
                lit.add((left // BLOCK, top // BLOCK))
    return lit


def first_frame(executable, tree, pipeline, effect, count, display_name):
    tree.put("assets/Shaders.glsl", effect)
    picture = tree.path(f"{pipeline}-{count}.png")
    arguments = ["--frames", "1", "--fixed-step", "16667", "--size", f"{WIDTH}x{HEIGHT}", "--particles", str(count),
                 "--screenshot", picture]
    result = run_command_line(executable, arguments, tree.path("run"), display_name)
    expect(result.returncode == 0, f"{' '.join(arguments)} ended with status {result.returncode}; standard error:\n"
                                   f"{result.stderr.decode(errors='replace')[-4000:]}")
    return lit_blocks(picture)


def check_floor(executable, real_effect_file, floor_effect_file):
    with open(real_effect_file, "rb") as real:
        demo_effect = real.read()
    floor_effect = floor_showing_particles(real_effect_file, floor_effect_file)
    with XServer() as server, Tree(real_effect_file) as tree:
        for count in COUNTS:
            demo = first_frame(executable, tree, "demo", demo_effect, count, server.display_name)
            floor = first_frame(executable, tree, "floor", floor_effect, count, server.display_name)
            expect(len(demo) > (WIDTH // BLOCK) * (HEIGHT // BLOCK) // 8,
                   f"with {count} particles the demo lit only {len(demo)} blocks: no nebula to compare with")
            differing = demo ^ floor
            expect(len(differing) <= MOST_DIFFERING_SHARE * len(demo | floor),
                   f"with {count} particles the floor lit {len(floor - demo)} blocks the demo left dark and left "
                   f"{len(demo - floor)} of the demo's {len(demo)} dark")


def main(arguments):
    if len(arguments) != 3:
        sys.exit(__doc__)
    return outcome(lambda: check_floor(*arguments))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
