#!/usr/bin/python3
"""Runs the demo executable the way a user would, on a private X server,
and checks what can be seen from outside: the window, the pictures, the
answers to the mouse and the keyboard, the exit status and the diagnostics.

    drive_demo.py CASE EXECUTABLE [EFFECT_FILE]

EFFECT_FILE is copied to ../assets/Shaders.glsl as seen from the demo's
working directory; without it the demo finds no effect file at all.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

from Xlib import X, display as xdisplay, error as xerror, protocol

SCREEN_WIDTH, SCREEN_HEIGHT = 1600, 1200
CLIENT_SIZE = 1024
# Generous: llvmpipe on two shared cores compiles and draws slowly.
STARTUP_SECONDS = 60
EXIT_SECONDS = 20


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


def start_x_server():
    """A private server on the first free display number from a base that
    differs between processes; the server's lock file settles races."""
    first = 200 + os.getpid() % 400
    for number in range(first, first + 100):
        if os.path.exists(f"/tmp/.X{number}-lock"):
            continue
        server = subprocess.Popen(
            ["Xvfb", f":{number}", "-screen", "0", f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24", "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while server.poll() is None and time.monotonic() < deadline:
            if os.path.exists(f"/tmp/.X11-unix/X{number}"):
                return server, f":{number}"
            time.sleep(0.05)
        server.kill()
        server.wait()
    raise Failure("no X server could be started")


class Demo:
    """One run of the executable in a fresh directory tree."""

    def __init__(self, executable, effect_file, display_name, arguments=()):
        self.root = tempfile.mkdtemp(prefix="vanteel-e2e-")
        os.mkdir(os.path.join(self.root, "assets"))
        working_directory = os.path.join(self.root, "run")
        os.mkdir(working_directory)
        self.working_directory = working_directory
        if effect_file:
            shutil.copy(effect_file, os.path.join(self.root, "assets", "Shaders.glsl"))
        self.stderr_path = os.path.join(self.root, "stderr.txt")
        self.environment = dict(os.environ, DISPLAY=display_name)
        with open(self.stderr_path, "wb") as stderr:
            self.process = subprocess.Popen([os.path.abspath(executable), *arguments], cwd=working_directory,
                                            env=self.environment, stdout=subprocess.DEVNULL, stderr=stderr)

    def stderr(self):
        with open(self.stderr_path, "rb") as stderr:
            return stderr.read().decode(errors="replace")

    def wait_for_exit(self):
        try:
            return self.process.wait(EXIT_SECONDS)
        except subprocess.TimeoutExpired:
            raise Failure(f"the demo still runs {EXIT_SECONDS} s later")

    def xdotool(self, *arguments):
        subprocess.run(["xdotool", *map(str, arguments)], env=self.environment, check=True,
                       stdout=subprocess.DEVNULL)

    def finish(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.root, ignore_errors=True)


class Screen:
    """The X server as the tests look at it."""

    def __init__(self, display_name):
        # The server may report its number a moment before it takes connections.
        deadline = time.monotonic() + 10
        while True:
            try:
                self.display = xdisplay.Display(display_name)
                break
            except xerror.DisplayConnectionError:
                expect(time.monotonic() < deadline, f"cannot connect to the X server {display_name}")
                time.sleep(0.1)
        self.root = self.display.screen().root

    def window_named(self, name, demo):
        deadline = time.monotonic() + STARTUP_SECONDS
        while time.monotonic() < deadline:
            expect(demo.process.poll() is None,
                   f"the demo ended with status {demo.process.returncode} before showing '{name}'")
            for window in self.root.query_tree().children:
                try:
                    if window.get_wm_name() == name and window.get_attributes().map_state == X.IsViewable:
                        return window
                except xerror.BadWindow:
                    pass
            time.sleep(0.1)
        raise Failure(f"no window named '{name}' within {STARTUP_SECONDS} s")

    def origin_of(self, window):
        position = window.translate_coords(self.root, 0, 0)
        return -position.x, -position.y

    def capture(self, x, y, width, height):
        """The pixels of a rectangle, four bytes each: blue, green, red, unused."""
        return self.root.get_image(x, y, width, height, X.ZPixmap, 0xFFFFFFFF).data

    def pixel(self, x, y):
        blue, green, red = self.capture(x, y, 1, 1)[:3]
        return red, green, blue

    def close_as_window_manager(self, window):
        protocols = self.display.intern_atom("WM_PROTOCOLS")
        delete = self.display.intern_atom("WM_DELETE_WINDOW")
        message = protocol.event.ClientMessage(window=window, client_type=protocols,
                                               data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(message, event_mask=X.NoEventMask)
        self.display.flush()


def colour_name(rgb):
    red, green, blue = rgb
    if red > 200 and green < 60 and blue < 60:
        return "red"
    if blue > 200 and red < 60 and green < 60:
        return "blue"
    if all(118 <= channel <= 138 for channel in rgb):
        return "grey"
    return f"rgb{rgb}"


class Probe:
    """Reads the probe effect file's picture: a square at "mLoc", red while
    the button is held and blue while it is up, on grey."""

    def __init__(self, screen, demo, window):
        self.screen, self.demo = screen, demo
        self.left, self.top = screen.origin_of(window)
        self.settle_seconds = 1.0

    def colour_at(self, x, y):
        return colour_name(self.screen.pixel(self.left + x, self.top + y))

    def wait_for(self, x, y, colour, what):
        deadline = time.monotonic() + STARTUP_SECONDS
        while time.monotonic() < deadline:
            if self.colour_at(x, y) == colour:
                return
            expect(self.demo.process.poll() is None, f"the demo ended while waiting for {what}")
            time.sleep(0.05)
        raise Failure(f"{what}: ({x}, {y}) is {self.colour_at(x, y)}, not {colour}")

    def still(self, x, y, colour, what):
        """For things that must not change: waits several frames first."""
        time.sleep(self.settle_seconds)
        found = self.colour_at(x, y)
        expect(found == colour, f"{what}: ({x}, {y}) is {found}, not {colour}")

    def point_at(self, x, y):
        self.demo.xdotool("mousemove", "--sync", self.left + x, self.top + y)


def run_probe_checks(screen, demo, window):
    probe = Probe(screen, demo, window)
    centre = CLIENT_SIZE // 2
    probe.wait_for(centre, centre, "blue", "with no input mLoc is the centre and the button up")

    probe.point_at(200, 300)
    probe.still(200, 300, "grey", "movement with the button up moved mLoc")
    probe.still(centre, centre, "blue", "movement with the button up changed the picture")

    probe.point_at(300, 400)
    started = time.monotonic()
    probe.demo.xdotool("mousedown", 1)
    probe.wait_for(300, 400, "red", "a press sets mLoc and mUp 0")
    # Frames under test take about this long to show an input.
    probe.settle_seconds = min(max(3 * (time.monotonic() - started), 0.5), 5.0)
    expect(probe.colour_at(centre, centre) == "grey", "the square stayed at the centre after the press")

    probe.point_at(700, 650)
    probe.wait_for(700, 650, "red", "a move with the button held moves mLoc")
    probe.point_at(900, 80)
    probe.wait_for(900, 80, "red", "a second move with the button held moves mLoc")

    # Left of the window and above it: a drag beyond the client area.
    probe.point_at(-150, -40)
    probe.still(900, 80, "red", "a move outside the window moved mLoc")
    probe.demo.xdotool("mouseup", 1)
    probe.wait_for(900, 80, "blue", "a release outside the window is delivered")

    probe.point_at(400, 800)
    probe.demo.xdotool("mousedown", 1, "mouseup", 1, "mousedown", 1)
    probe.wait_for(400, 800, "blue", "the first click of a double click moves mLoc")
    probe.still(400, 800, "blue", "the second press of a double click counted as a press")
    probe.demo.xdotool("mouseup", 1, "mousedown", 1)
    probe.wait_for(400, 800, "red", "a third press starts over as a press")
    probe.demo.xdotool("mouseup", 1)
    probe.wait_for(400, 800, "blue", "the release after a third press")


def check_window_placement(screen, window):
    geometry = window.get_geometry()
    expect((geometry.width, geometry.height) == (CLIENT_SIZE, CLIENT_SIZE),
           f"the window is {geometry.width}x{geometry.height}")
    left, top = screen.origin_of(window)
    expected = (SCREEN_WIDTH // 2 - CLIENT_SIZE // 2, SCREEN_HEIGHT // 2 - CLIENT_SIZE // 2)
    expect((left, top) == expected, f"the window is at {(left, top)}, not centred at {expected}")


def changed_pixels(before, after):
    return sum(1 for offset in range(0, len(before), 4)
               if max(abs(before[offset + channel] - after[offset + channel]) for channel in range(3)) > 24)


def distinct_colours(capture):
    return len({capture[offset:offset + 3] for offset in range(0, len(capture), 4)})


def escape_ends_with_status_0(screen, demo, window):
    left, top = screen.origin_of(window)
    demo.xdotool("mousemove", "--sync", left + 10, top + 10)
    demo.xdotool("key", "Escape")
    status = demo.wait_for_exit()
    expect(status == 0, f"Escape ended the demo with status {status}")


def case_startup(screen, demo):
    """The real effect file: placement, caption, version line, a picture
    that answers a drag, and Escape."""
    window = screen.window_named("Vanteel", demo)
    check_window_placement(screen, window)
    expect("OpenGL Version: " in demo.stderr(), "no 'OpenGL Version: ' line on standard error")
    left, top = screen.origin_of(window)
    time.sleep(2)
    before = screen.capture(left, top, CLIENT_SIZE, CLIENT_SIZE)
    expect(distinct_colours(before) > 1, "the window shows a single colour")
    demo.xdotool("mousemove", "--sync", left + 300, top + 300, "mousedown", 1)
    for x, y in ((350, 320), (420, 380), (500, 430), (600, 500)):
        time.sleep(0.4)
        demo.xdotool("mousemove", "--sync", left + x, top + y)
    demo.xdotool("mouseup", 1)
    time.sleep(1)
    after = screen.capture(left, top, CLIENT_SIZE, CLIENT_SIZE)
    expect(changed_pixels(before, after) > CLIENT_SIZE * CLIENT_SIZE // 100, "a drag left the picture as it was")
    escape_ends_with_status_0(screen, demo, window)


def case_input(screen, demo):
    """The probe effect file: every mouse rule, read off the screen."""
    window = screen.window_named("Vanteel", demo)
    run_probe_checks(screen, demo, window)
    demo.xdotool("key", "q", "space", "Return", "alt+F4", "ctrl+c")
    time.sleep(1)
    expect(demo.process.poll() is None, "a key other than Escape ended the demo")
    escape_ends_with_status_0(screen, demo, window)


def case_close(screen, demo):
    window = screen.window_named("Vanteel", demo)
    screen.close_as_window_manager(window)
    status = demo.wait_for_exit()
    expect(status == 0, f"closing the window ended the demo with status {status}")


def case_destroy(screen, demo):
    window = screen.window_named("Vanteel", demo)
    demo.xdotool("windowclose", window.id)
    status = demo.wait_for_exit()
    expect(status == 0, f"destroying the window ended the demo with status {status}")


def case_missing_effect(screen, demo):
    status = demo.wait_for_exit()
    expect(status == 1, f"a missing effect file ended the demo with status {status}")
    expected = "Can't find vertex shader: Shaders.Composite.VS\n"
    expect(expected in demo.stderr(), f"standard error lacks {expected!r}")


CASES = {
    "startup": case_startup,
    "input": case_input,
    "close": case_close,
    "destroy": case_destroy,
    "missing-effect": case_missing_effect,
}


def case_no_display(executable):
    environment = {name: value for name, value in os.environ.items() if name not in ("DISPLAY", "WAYLAND_DISPLAY")}
    result = subprocess.run([os.path.abspath(executable)], env=environment, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, timeout=EXIT_SECONDS)
    expect(result.returncode == 1, f"without a display the demo ended with status {result.returncode}")
    expect(b"GLFW Error: " in result.stderr, "without a display standard error lacks 'GLFW Error: '")


def outcome(run):
    """0 when run() passes; 1, with the reason on standard error, when it fails."""
    try:
        run()
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1
    return 0


def run_on_private_display(start_demo, case):
    """Starts an X server of its own, the demo on it (start_demo(display name)), and case(screen, demo);
    on a failure the demo's standard error goes with the reason. Both end whatever happens."""
    server, display_name = start_x_server()
    demo = None
    try:
        demo = start_demo(display_name)
        case(Screen(display_name), demo)
    except Failure:
        if demo:
            sys.stderr.write("the demo's standard error:\n" + demo.stderr()[-6000:])
        raise
    finally:
        if demo:
            demo.finish()
        server.terminate()
        server.wait()


def main(arguments):
    if len(arguments) not in (2, 3) or (arguments[0] not in CASES and arguments[0] != "no-display"):
        sys.exit(__doc__ + "CASE is one of: " + ", ".join([*CASES, "no-display"]))
    case, executable = arguments[0], arguments[1]
    effect_file = arguments[2] if len(arguments) == 3 else None
    if case == "no-display":
        return outcome(lambda: case_no_display(executable))
    return outcome(lambda: run_on_private_display(lambda display: Demo(executable, effect_file, display),
                                                  CASES[case]))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
