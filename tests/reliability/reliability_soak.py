#!/usr/bin/python3
"""Long runs of the real demo under streams of mouse input.

    reliability_soak.py soak SECONDS EXECUTABLE REAL_EFFECT_FILE [SEED]
    reliability_soak.py drag FRAMES EXECUTABLE REAL_EFFECT_FILE

soak: presses, drags, double clicks and releases at random places inside and
outside the window, many per frame, then a press held and dragged everywhere;
twice, the first round as the warm-up, the second held to the very end. The
demo must keep presenting frames, never report an OpenGL error, keep the
memory it owns flat after the warm-up, and still end with status 0 on Escape.

drag: a scripted drag, round and round, until the demo has presented FRAMES
frames; meant for a build under the address and leak sanitizers, whose
reports would end the run with a non-zero status and text on standard error.
"""

import math
import random
import re
import subprocess
import sys
import time

from checks import Failure, expect
from demo_runs import CLIENT_SIZE, STARTUP_SECONDS, Run, Tree, XServer, describe_status, run_environment
from reliability_checks import FrameCounter, escape_ends_quietly, run_case

# Owned memory may move this much once warm (kB).
OWNED_TOLERANCE_KB = 1024
# Each round of the run: a storm, then a press held for as long again.
ROUNDS = 2
# Longest time without a new frame before the demo counts as hung.
STALL_SECONDS = 20
# Pointer targets reach this far beyond each edge of the window.
OUTSIDE_MARGIN = 200


def owned_kb(process):
    """Anonymous and shared pages, resident or swapped out: where a leak grows.
    Not VmRSS: its file-backed part, the libraries' code (some 65 MB under
    the software renderer), shrinks and grows back as the kernel reclaims
    page cache for other work on the machine."""
    with open(f"/proc/{process.pid}/status") as status:
        text = status.read()
    return sum(int(re.search(rf"^{field}:\s+(\d+) kB", text, re.MULTILINE).group(1))
               for field in ("RssAnon", "RssShmem", "VmSwap"))


class Pointer:
    """xdotool commands batched into one call, in window coordinates."""

    def __init__(self, screen, window, generator):
        self.left, self.top = screen.origin_of(window)
        self.environment = run_environment(screen.display_name)
        self.generator = generator
        self.commands = []

    def random_place(self):
        low, high = -OUTSIDE_MARGIN, CLIENT_SIZE + OUTSIDE_MARGIN
        # Screen coordinates below zero pin to the edge; that is outside as well.
        return self.generator.randint(low, high), self.generator.randint(low, high)

    def move(self, x, y):
        self.commands += ["mousemove", str(max(self.left + x, 0)), str(max(self.top + y, 0))]

    def down(self):
        self.commands += ["mousedown", "1"]

    def up(self):
        self.commands += ["mouseup", "1"]

    def double_click(self):
        self.commands += ["click", "--repeat", "2", "--delay", "15", "1"]

    def send(self):
        if self.commands:
            subprocess.run(["xdotool", *self.commands], env=self.environment, check=True)
        self.commands = []


def storm_step(pointer):
    """About a dozen events: a drag that may end outside, a double click,
    stray presses and releases, and a release with the button already up."""
    generator = pointer.generator
    for _ in range(3):
        action = generator.randrange(5)
        if action == 0:
            pointer.move(*pointer.random_place())
            pointer.down()
            for _ in range(generator.randint(1, 6)):
                pointer.move(*pointer.random_place())
            pointer.up()
        elif action == 1:
            pointer.move(*pointer.random_place())
            pointer.double_click()
        elif action == 2:
            pointer.move(*pointer.random_place())
            pointer.down()
        elif action == 3:
            pointer.move(*pointer.random_place())
            pointer.up()
        else:
            pointer.up()
            pointer.move(*pointer.random_place())
    pointer.send()


class Watch:
    """Frames and owned memory over the run."""

    def __init__(self, counter, run):
        self.counter, self.run = counter, run
        self.samples = []
        self.started = time.monotonic()
        self.last_frame_count, self.last_frame_time = 0, self.started

    def look(self, warm):
        status = self.run.process.poll()
        if status is not None:
            raise Failure(f"the demo ended with {describe_status(status)}; standard error:\n{self.run.stderr()}")
        frames = self.counter.poll()
        now = time.monotonic()
        if frames > self.last_frame_count:
            self.last_frame_count, self.last_frame_time = frames, now
        expect(now - self.last_frame_time < STALL_SECONDS,
               f"no new frame for {STALL_SECONDS} s (after {frames} frames)")
        if warm:
            self.samples.append((now - self.started, owned_kb(self.run.process)))


def check_owned_memory(samples):
    """Samples are (seconds into the run, kB). A failure tells a leak (steady
    growth) from a single jump, and when the largest jump came."""
    expect(len(samples) >= 10, f"only {len(samples)} memory samples after the warm-up")
    sizes = [size for _, size in samples]
    low, high = min(sizes), max(sizes)
    print(f"soak: owned memory after warm-up {low}..{high} kB over {len(samples)} samples")
    jump, at = max((later[1] - earlier[1], later[0]) for earlier, later in zip(samples, samples[1:]))
    expect(high - low <= OWNED_TOLERANCE_KB,
           f"owned memory moved by {high - low} kB after the warm-up (from {sizes[0]} to {sizes[-1]} kB; "
           f"the largest single step, {jump} kB, came {at:.0f} s into the run)")


def with_running_demo(executable, real_effect_file, body):
    with Tree(real_effect_file) as tree, XServer() as server:
        run = Run(executable, tree.path("run"), run_environment(server.display_name, HOME=tree.root))
        try:
            window = server.screen.window_named("Vanteel", run)
            body(server.screen, run, window)
        finally:
            # A press left down would outlive the demo on this server only.
            run.finish()


def case_soak(seconds, executable, real_effect_file, seed="1"):
    seconds = float(seconds)
    generator = random.Random(int(seed))

    def soak(screen, run, window):
        counter = FrameCounter(screen, window)
        counter.wait_for(1, STARTUP_SECONDS, run)
        watch = Watch(counter, run)
        pointer = Pointer(screen, window, generator)
        started = time.monotonic()
        stretch = seconds / (2 * ROUNDS)
        steps = 0
        # The first round is the warm-up. The software renderer's working
        # memory follows the picture, and particles pulled into a vortex for
        # seconds need megabytes more than any storm draws: only a round of
        # each kind before the measuring tells its high-water mark from a leak.
        for round_number in range(ROUNDS):
            warm = round_number > 0
            storm_until = started + (2 * round_number + 1) * stretch
            while time.monotonic() < storm_until:
                storm_step(pointer)
                steps += 1
                watch.look(warm)

            # Pressed inside, then dragged everywhere, in bursts far faster than frames.
            pointer.up()
            pointer.move(CLIENT_SIZE // 2, CLIENT_SIZE // 2)
            pointer.down()
            pointer.send()
            while time.monotonic() < storm_until + stretch:
                for _ in range(40):
                    pointer.move(*pointer.random_place())
                pointer.send()
                watch.look(warm)
        print(f"soak: {steps} input batches in {ROUNDS} rounds, {counter.poll()} frames in all, seed {seed}")
        check_owned_memory(watch.samples)
        # Escape with the button still held.
        escape_ends_quietly(screen, run, window)

    with_running_demo(executable, real_effect_file, soak)


def case_drag(frames, executable, real_effect_file):
    frames = int(frames)

    def drag(screen, run, window):
        counter = FrameCounter(screen, window)
        pointer = Pointer(screen, window, random.Random(0))
        centre = CLIENT_SIZE // 2
        step = 0
        while counter.poll() < frames:
            status = run.process.poll()
            if status is not None:
                raise Failure(f"the demo ended with {describe_status(status)} after {counter.frames} frames; "
                              f"standard error:\n{run.stderr()}")
            # A press, a quarter circle of moves, a release: every path of the mouse handler.
            arc = [(centre + round(300 * math.cos(math.radians(angle))),
                    centre + round(300 * math.sin(math.radians(angle)))) for angle in range(step, step + 91, 15)]
            pointer.move(*arc[0])
            pointer.down()
            for x, y in arc[1:]:
                pointer.move(x, y)
            pointer.up()
            pointer.send()
            step = (step + 90) % 360
            time.sleep(0.1)
        print(f"drag: {counter.frames} frames")
        escape_ends_quietly(screen, run, window)

    with_running_demo(executable, real_effect_file, drag)


CASES = {"soak": case_soak, "drag": case_drag}

if __name__ == "__main__":
    sys.exit(run_case(CASES, __doc__))
