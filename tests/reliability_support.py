"""What the reliability drivers share: runs of the demo in prepared directory
trees, on private X servers from the end-to-end driver, and the two outcomes
every run must end in: it runs (frames keep coming and Escape ends it with
status 0), or it ends with status 1 and exactly the expected message."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "e2e"))
from drive_demo import (  # noqa: E402  (the end-to-end driver's helpers)
    EXIT_SECONDS, STARTUP_SECONDS, Failure, Screen, distinct_colours, expect, start_x_server)
from Xlib.ext import damage  # noqa: E402

# ctest reads this status as "skipped" (SKIP_RETURN_CODE).
SKIPPED = 77

VERSION_LINE = r"OpenGL Version: [^\n]*\n"


def version_line_then(message):
    """The diagnostics of a run that got a context and then stopped: the
    version line, the message, and the separate newline after it."""
    return VERSION_LINE + message + r"\n"


class Tree:
    """A scratch directory; the demo's resource directory is ../assets/ as
    seen from a working directory inside it."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="vanteel-reliability-")

    def path(self, *parts):
        return os.path.join(self.root, *parts)

    def put(self, relative, content):
        path = self.path(relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as stream:
            stream.write(content)
        return path

    def directory(self, relative):
        path = self.path(relative)
        os.makedirs(path, exist_ok=True)
        return path

    def remove(self):
        for directory, subdirectories, _ in os.walk(self.root):
            for name in subdirectories:
                os.chmod(os.path.join(directory, name), 0o755)
        shutil.rmtree(self.root, ignore_errors=True)


class Run:
    """One run of the executable, its diagnostics collected from standard error."""

    def __init__(self, executable, working_directory, environment, prefix=()):
        with tempfile.NamedTemporaryFile(prefix="vanteel-reliability-stderr-", delete=False) as stderr:
            self.stderr_path = stderr.name
            self.process = subprocess.Popen([*prefix, os.path.abspath(executable)], cwd=working_directory,
                                            env=environment, stdout=subprocess.DEVNULL, stderr=stderr)

    def stderr(self):
        with open(self.stderr_path, "rb") as stderr:
            return stderr.read().decode("latin-1")

    def wait_for_exit(self, seconds=EXIT_SECONDS):
        try:
            return self.process.wait(seconds)
        except subprocess.TimeoutExpired:
            raise Failure(f"the demo still runs {seconds} s later")

    def finish(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        os.unlink(self.stderr_path)


def describe_status(status):
    return f"signal {-status}" if status < 0 else f"status {status}"


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


def press_escape(screen, run, window):
    """Escape goes to the window under the pointer: no window manager here."""
    left, top = screen.origin_of(window)
    subprocess.run(["xdotool", "mousemove", "--sync", str(left + 10), str(top + 10), "key", "Escape"],
                   env=run_environment(screen.display_name), check=True)


def expect_runs(screen, run, frames=3):
    """The window appears, shows a picture, keeps presenting frames, and
    Escape ends it with status 0 and nothing said but the version line."""
    window = screen.window_named("Vanteel", run)
    counter = FrameCounter(screen, window)
    counter.wait_for(frames, STARTUP_SECONDS, run)
    left, top = screen.origin_of(window)
    expect(distinct_colours(screen.capture(left, top, 1024, 1024)) > 1, "the window shows a single colour")
    press_escape(screen, run, window)
    status = run.wait_for_exit()
    expect(status == 0, f"Escape ended the demo with {describe_status(status)}")
    stderr = run.stderr()
    expect(re.fullmatch(VERSION_LINE, stderr) is not None, f"standard error holds more than the version line: {stderr!r}")


def run_environment(display_name, **extra):
    return dict(os.environ, DISPLAY=display_name, **extra)


class XServer:
    """A private X server for one driver run, and the screen as seen on it."""

    def __enter__(self):
        self.process, self.display_name = start_x_server()
        self.screen = Screen(self.display_name)
        self.screen.display_name = self.display_name
        return self

    def __exit__(self, *exception):
        self.process.terminate()
        self.process.wait()


def main(cases, arguments, usage):
    """CASE and the case's arguments; prints the reason of a failure or a skip."""
    if not arguments or arguments[0] not in cases:
        sys.exit(usage + "CASE is one of: " + ", ".join(cases))
    try:
        return cases[arguments[0]](*arguments[1:]) or 0
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1
