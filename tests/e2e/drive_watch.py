#!/usr/bin/python3
"""Runs the demo with --watch on a private X server, saves its effect file
the ways an editor does, and checks what the window and the diagnostics show.
Prints how long each good save took to reach the screen.

    drive_watch.py EXECUTABLE EFFECT_FILE
"""

import os
import re
import sys

import effect_file_variants as effects
from checks import expect, outcome
from demo_checks import escape_ends_with_status_0, wait_for_frames, wait_until
from demo_runs import CLIENT_SIZE, colour_name, run_on_private_display, start_demo

# The frame a reload happens in shows its outcome; two more allow for buffering.
SETTLE_FRAMES = 3


def solid_composite(text, rgb):
    """The effect with a composite of one colour but for a band across the
    middle, whose particles show each frame."""
    red, green, blue = rgb
    body = (f"in vec2 vTexCoord;\nout vec4 FragColor;\nuniform sampler2D ParticlesSampler;\n"
            f"void main() {{\n"
            f"    FragColor = abs(vTexCoord.y - 0.5) < 0.05 ? vec4(texture(ParticlesSampler, vTexCoord).rgb, 1.0)\n"
            f"                                            : vec4({red}, {green}, {blue}, 1.0);\n"
            f"}}\n")
    return effects.with_body(text, "Composite.FS", body.encode())


def no_section(name):
    return re.escape(f"Shaders.glsl: no section {name} ({name})\n")


def on_line(text, name, offset):
    """The line, counted from 1, of the effect file `text` that stands
    `offset` lines below the header of section `name` (0: the header)."""
    return effects.header_index(text.split(b"\n"), name) + 1 + offset


class Session:
    """The running demo, its effect file and the window's pixels."""

    def __init__(self, screen, demo):
        self.screen, self.demo = screen, demo
        self.effect_file = demo.tree.path("assets", "Shaders.glsl")
        self.window = screen.window_named("Vanteel", demo)
        self.left, self.top = screen.origin_of(self.window)
        self.latencies = []

    def save(self, content):
        """As many editors save: a new file renamed over the old one."""
        part = self.effect_file + ".part"
        with open(part, "wb") as stream:
            stream.write(content)
        os.replace(part, self.effect_file)

    def write_in_place(self, content):
        with open(self.effect_file, "wb") as stream:
            stream.write(content)

    def colour(self):
        return colour_name(self.screen.pixel(self.left + 20, self.top + 20))

    def shows_nebula(self):
        """The grey background at the edge, particles over much of the middle."""
        if self.colour() != "grey":
            return False
        middle = self.screen.capture(self.left + 256, self.top + 256, CLIENT_SIZE // 2, CLIENT_SIZE // 2)
        samples = [(y * CLIENT_SIZE // 2 + x) * 4 for y in range(0, CLIENT_SIZE // 2, 32)
                   for x in range(0, CLIENT_SIZE // 2, 32)]
        # Blue, green, red and an unused byte per pixel.
        lit = sum(1 for offset in samples
                  if colour_name((middle[offset + 2], middle[offset + 1], middle[offset])) != "grey")
        return lit > len(samples) // 4

    def save_and_see(self, content, condition, what, write=None):
        (write or self.save)(content)
        self.latencies.append((what, wait_until(condition, self.demo, what)))

    def save_broken(self, content, reason, what, write=None):
        """A broken save: a line matching the pattern `reason` appears, and the
        picture stays as it was."""
        before = self.colour()
        printed = len(self.demo.stderr())
        (write or self.save)(content)
        wait_until(lambda: re.search(reason, self.demo.stderr()[printed:], re.MULTILINE), self.demo,
                   f"{what}: {reason!r} on standard error")
        wait_for_frames(self.screen, self.demo, self.window, SETTLE_FRAMES, what)
        expect(self.colour() == before, f"{what}: the picture changed from {before} to {self.colour()}")


def case_edit_session(screen, demo, original):
    session = Session(screen, demo)
    wait_until(session.shows_nebula, demo, "the nebula at start-up")
    printed = demo.stderr()

    session.save_and_see(solid_composite(original, (1, 0, 0)), lambda: session.colour() == "red", "a red composite")
    expect(demo.stderr() == printed, f"a good save printed {demo.stderr()[len(printed):]!r}")

    # Each broken save starts from the original, whose composite would show
    # the nebula: red stays only if the programs that last built stay in use.
    # Each problem on its line of the effect file, with the section's key.
    broken = effects.with_body(original, "Composite.FS", b"out vec4 FragColor;\nthis is not GLSL;\nvoid main() {}\n")
    session.save_broken(broken, rf"^Shaders\.glsl:{on_line(broken, 'Composite.FS', 2)}: error: .*`this'.* \(Composite\.FS\)$",
                        "a line that is not GLSL")
    session.save_broken(effects.compile_error(original), re.escape(effects.PERCENT_TEXT.decode()), "an #error")
    linked = effects.link_error(original)
    session.save_broken(linked, rf"^Shaders\.glsl:{on_line(linked, 'Particle.VS', 0)}: error: .*main.* \(Particle\.VS\)$",
                        "a link error, on the program's vertex section")
    session.save_broken(effects.without_section(original, "Particle.GS"), no_section("Particle.GS"), "a section removed")

    session.save_and_see(original, session.shows_nebula, "the original saved back")

    # In place, truncated first and written only once a look caught the empty
    # file: the second write must still be noticed and shown.
    session.save_broken(b"", no_section("Composite.VS"), "a save's first step, truncating", session.write_in_place)
    session.save_and_see(solid_composite(original, (0, 0, 1)), lambda: session.colour() == "blue",
                         "a save's second step, writing", session.write_in_place)

    escape_ends_with_status_0(screen, demo, session.window)
    for what, seconds in session.latencies:
        print(f"save to screen, {what}: {seconds * 1000:.0f} ms")


def main(arguments):
    if len(arguments) != 2:
        sys.exit(__doc__)
    executable, effect_file = arguments
    with open(effect_file, "rb") as stream:
        original = stream.read()
    return outcome(lambda: run_on_private_display(
        lambda display: start_demo(executable, effect_file, display, arguments=("--watch",)),
        lambda screen, demo: case_edit_session(screen, demo, original)))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
