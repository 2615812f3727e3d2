"""What the reliability drivers share: the two outcomes every run of the demo
must end in, either it runs (frames keep coming and Escape ends it with status
0) or it ends with status 1 and exactly the expected message, and the count
of the frames it presents."""

import re
import sys
import time

from Xlib.ext import damage

from checks import Failure, expect, outcome
from demo_runs import CLIENT_SIZE, EXIT_SECONDS, STARTUP_SECONDS, describe_status, distinct_colours, press_escape

VERSION_LINE = r"OpenGL Version: [^\n]*\n"


def version_line_then(message):
    """The diagnostics of a run that got a context and then stopped: the
    version line, the message, and the separate newline after it."""
    return VERSION_LINE + message + r"\n"


def expect_failure(run, expected_stderr, seconds=EXIT_SECONDS):
    """Status 1, never a signal or a hang, and standard error exactly as the
    pattern says (the whole text, so no other stage may speak up)."""
    status = run.wait_for_exit(seconds)
    stderr = run.stderr()
    expect(status == 1, f"ended with {describe_status(status)}, not status 1; standard error:\n{stderr}")
    expect(re.fullmatch(expected_stderr, stderr, re.DOTALL) is not None,
           f"standard error is {stderr!r}, expected to match {expected_stderr!r}")
    return stderr


class FrameCounter:
    """Counts the frames the demo presents, as batches of damage to its window
    (a lower bound: two presents between two looks count once)."""

    def __init__(self, screen, window):
        self.display = screen.display
        self.display.damage_query_version()
        self.damage = window.damage_create(damage.DamageReportNonEmpty)
        self.display.sync()
        self.frames = 0

    def poll(self):
        while self.display.pending_events():
            event = self.display.next_event()
            if event.__class__.__name__ == "DamageNotify":
                self.frames += 1
                self.display.damage_subtract(self.damage)
        self.display.sync()
        return self.frames

    def wait_for(self, frames, seconds, run):
        deadline = time.monotonic() + seconds
        while self.poll() < frames:
            status = run.process.poll()
            if status is not None:
                raise Failure(f"the demo ended with {describe_status(status)} after {self.frames} frames; "
                              f"standard error:\n{run.stderr()}")
            expect(time.monotonic() < deadline, f"only {self.frames} of {frames} frames within {seconds} s")
            time.sleep(0.02)


def escape_ends_quietly(screen, run, window):
    """Escape ends the run with status 0, and nothing was said but the version line."""
    press_escape(screen, run, window)
    status = run.wait_for_exit()
    stderr = run.stderr()
    expect(status == 0, f"Escape ended the demo with {describe_status(status)}; standard error:\n{stderr}")
    expect(re.fullmatch(VERSION_LINE, stderr) is not None, f"standard error holds more than the version line: {stderr!r}")


def expect_runs(screen, run, frames=3):
    """The window appears, shows a picture, keeps presenting frames, and ends quietly on Escape."""
    window = screen.window_named("Vanteel", run)
    counter = FrameCounter(screen, window)
    counter.wait_for(frames, STARTUP_SECONDS, run)
    left, top = screen.origin_of(window)
    expect(distinct_colours(screen.capture(left, top, CLIENT_SIZE, CLIENT_SIZE)) > 1, "the window shows a single colour")
    escape_ends_quietly(screen, run, window)


def run_case(cases, usage):
    """The case the command line names, with the arguments after it."""
    arguments = sys.argv[1:]
    if not arguments or arguments[0] not in cases:
        sys.exit(usage + "CASE is one of: " + ", ".join(cases))
    return outcome(lambda: cases[arguments[0]](*arguments[1:]))
