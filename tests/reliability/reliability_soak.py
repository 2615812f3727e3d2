#!/usr/bin/python3
"""Long runs of the real demo under streams of mouse input.

    reliability_soak.py soak SECONDS EXECUTABLE HEAP_PROBE REAL_EFFECT_FILE [SEED]
    reliability_soak.py drag FRAMES EXECUTABLE REAL_EFFECT_FILE

soak: presses, drags, double clicks and releases at random places inside and
outside the window, many per frame, then a press held and dragged everywhere;
a round of both to warm up, then rounds of as many frames each, measured. The
demo must keep presenting frames, never report an OpenGL error, end with
status 0 on Escape, and its heap (read each frame by HEAP_PROBE, preloaded)
must not grow in every measured round: a leak grows in each, a working set
that settles at a new level in one.

drag: a scripted drag, round and round, until the demo has presented FRAMES
frames; meant for a build under the address and leak sanitizers, whose
reports would end the run with a non-zero status and text on standard error.
"""

import math
import os
import random
import subprocess
import sys
import time

from checks import Failure, expect
from demo_runs import CLIENT_SIZE, STARTUP_SECONDS, Run, Tree, XServer, describe_status, run_environment
from reliability_checks import FrameCounter, escape_ends_quietly, run_case

# Rounds of the run after the warm-up, each a storm then a press held for
# as many frames again.
MEASURED_ROUNDS = 4
# Growth of the heap by this much per frame in every measured round is a
# leak; a leak of 4 KiB a frame is four times as much.
LEAK_KB_PER_FRAME = 1.0
# The software renderer's working set grows with the particles it draws, by
# tens of megabytes between rounds at the full count, and its frames slow to
# a few a second: a leak of a few kilobytes a frame would drown in both.
# The demo's own code takes the same paths at any count.
SOAK_PARTICLES = 20000
# Fewer frames than this a phase would make rounds too short to tell apart.
MIN_PHASE_FRAMES = 10
# Longest time without a new frame before the demo counts as hung.
STALL_SECONDS = 20
# Pointer targets reach this far beyond each edge of the window.
OUTSIDE_MARGIN = 200


def heap_log(path):
    """(frame, bytes in use) the heap probe has written so far; a line it is
    still writing is left for the next read."""
    if not os.path.exists(path):
        return []
    with open(path) as log:
        lines = log.read().split("\n")[:-1]
    return [tuple(int(field) for field in line.split()) for line in lines]


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
    """The demo's frames, seen as damage to its window, and its end."""

    def __init__(self, counter, run):
        self.counter, self.run = counter, run
        self.last_frame_count, self.last_frame_time = 0, time.monotonic()

    def look(self):
        """The frames presented so far, once at least one more than last time."""
        while True:
            status = self.run.process.poll()
            if status is not None:
                raise Failure(f"the demo ended with {describe_status(status)}; standard error:\n{self.run.stderr()}")
            frames = self.counter.poll()
            now = time.monotonic()
            if frames > self.last_frame_count:
                self.last_frame_count, self.last_frame_time = frames, now
                return frames
            expect(now - self.last_frame_time < STALL_SECONDS,
                   f"no new frame for {STALL_SECONDS} s (after {frames} frames)")
            time.sleep(0.005)


def check_heap(samples, rounds):
    """samples are (frame, bytes in use) from the heap probe, rounds the
    frames the measured rounds start and end at. Each round is read at its
    median, untouched by a frame's odd peak; a leak raises the median in
    every round, a working set that settles at a new level, however late,
    in one at most."""
    medians, lengths = [], []
    for first, last in zip(rounds, rounds[1:]):
        sizes = sorted(size for frame, size in samples if first < frame <= last)
        expect(sizes, f"the heap probe saw no frame between frames {first} and {last}")
        medians.append(sizes[len(sizes) // 2])
        lengths.append(last - first)
    expect(len(medians) >= 3, f"only {len(medians)} measured rounds; growth in every round needs three")
    growth = [(later - earlier) / 1024 / length for earlier, later, length in zip(medians, medians[1:], lengths[1:])]
    described = ", ".join(f"{rate:.2f}" for rate in growth)
    print(f"soak: heap in use by round {[median // 1024 for median in medians]} kB over {lengths} frames, "
          f"growth {described} kB per frame")
    expect(min(growth) < LEAK_KB_PER_FRAME, f"the heap grew in every measured round: {described} kB per frame")


def with_running_demo(executable, real_effect_file, body, heap_probe=None, arguments=()):
    """body(screen, run, window, heap log) with the demo running; the heap
    log is written only when a heap probe is given."""
    with Tree(real_effect_file) as tree, XServer() as server:
        environment = run_environment(server.display_name, HOME=tree.root)
        log = tree.path("heap.log")
        if heap_probe:
            preloaded = [os.path.abspath(heap_probe)] + environment.get("LD_PRELOAD", "").split()
            environment.update(LD_PRELOAD=" ".join(preloaded), VANTEEL_HEAP_LOG=log)
        run = Run(executable, tree.path("run"), environment, arguments=arguments)
        try:
            window = server.screen.window_named("Vanteel", run)
            body(server.screen, run, window, log)
        finally:
            # A press left down would outlive the demo on this server only.
            run.finish()


def case_soak(seconds, executable, heap_probe, real_effect_file, seed="1"):
    seconds = float(seconds)
    generator = random.Random(int(seed))

    def soak(screen, run, window, log):
        counter = FrameCounter(screen, window)
        counter.wait_for(1, STARTUP_SECONDS, run)
        watch = Watch(counter, run)
        pointer = Pointer(screen, window, generator)
        batches = 0

        # Input is paced to the demo's frames, a batch each, so that a slow
        # machine never queues events for it faster than it takes them.
        def storm(until):
            nonlocal batches
            frames = watch.look()
            while not until(frames):
                storm_step(pointer)
                batches += 1
                frames = watch.look()
            return frames

        def hold(until):
            # Pressed inside, then dragged everywhere, a burst of moves a frame.
            pointer.up()
            pointer.move(CLIENT_SIZE // 2, CLIENT_SIZE // 2)
            pointer.down()
            pointer.send()
            frames = watch.look()
            while not until(frames):
                for _ in range(40):
                    pointer.move(*pointer.random_place())
                pointer.send()
                frames = watch.look()
            return frames

        def probed_frames():
            probed = heap_log(log)
            expect(probed, "the heap probe wrote nothing: is it preloaded, and does the demo clear depth?")
            return probed[-1][0]

        # The warm-up lasts as long in time as each measured round will. The
        # software renderer's working set follows the picture, and a vortex
        # held for seconds needs megabytes more than any storm: only a round
        # of both before the measuring tells its high-water mark from a leak.
        # Its frames, seen as damage, set the length of the measured rounds,
        # so that all are equal in frames however fast this machine draws.
        phase = seconds / (2 * (MEASURED_ROUNDS + 1))
        started = watch.look()
        storm_end = time.monotonic() + phase
        storm(lambda frames: time.monotonic() >= storm_end)
        hold_end = time.monotonic() + phase
        warmed = hold(lambda frames: time.monotonic() >= hold_end)
        phase_frames = max(MIN_PHASE_FRAMES, (warmed - started) // 2)
        rounds, seen = [probed_frames()], warmed
        for _ in range(MEASURED_ROUNDS):
            middle = storm(lambda frames: frames >= seen + phase_frames)
            seen = hold(lambda frames: frames >= middle + phase_frames)
            rounds.append(probed_frames())
        print(f"soak: {batches} storm batches, {MEASURED_ROUNDS} measured rounds after {rounds[0]} frames "
              f"of warm-up, {rounds[-1]} frames in all, seed {seed}")
        check_heap(heap_log(log), rounds)
        # Escape with the button still held.
        escape_ends_quietly(screen, run, window)

    with_running_demo(executable, real_effect_file, soak, heap_probe, ["--particles", str(SOAK_PARTICLES)])


def case_drag(frames, executable, real_effect_file):
    frames = int(frames)

    def drag(screen, run, window, _):
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
