"""What more than one driver checks of a run of the demo: where its window
sits, that a drag stirs the particles, that Escape ends it, the pictures it
saves, and the mouse rules as the probe effect file draws them."""

import time

from checks import Failure, expect
from demo_runs import (CLIENT_SIZE, SCREEN_HEIGHT, SCREEN_WIDTH, STARTUP_SECONDS, changed_blocks, colour_name,
                       press_escape, read_png)


def check_window_placement(screen, window):
    geometry = window.get_geometry()
    expect((geometry.width, geometry.height) == (CLIENT_SIZE, CLIENT_SIZE),
           f"the window is {geometry.width}x{geometry.height}")
    left, top = screen.origin_of(window)
    expected = (SCREEN_WIDTH // 2 - CLIENT_SIZE // 2, SCREEN_HEIGHT // 2 - CLIENT_SIZE // 2)
    expect((left, top) == expected, f"the window is at {(left, top)}, not centred at {expected}")


# Both pictures compared, with a drag between them and without, are this far
# apart: the drag takes about 2 s, and its vortex needs a moment to show.
DRAG_SPAN_SECONDS = 3.5
# Of the 1,024 blocks of 32x32 pixels: the idle nebula moves the brightness of
# a few, a drag that does nothing no more, a drag that stirs it some 200 to 300.
DRAG_BLOCKS = 50


def expect_drag_changes(screen, run, window):
    """A slow drag with the button held changes the picture's shapes far more
    than the nebula changes them on its own, measured first over as long."""
    left, top = screen.origin_of(window)

    def capture():
        return screen.capture(left, top, CLIENT_SIZE, CLIENT_SIZE)

    before = capture()
    time.sleep(DRAG_SPAN_SECONDS)
    idle = changed_blocks(before, capture())

    before = capture()
    started = time.monotonic()
    run.xdotool("mousemove", "--sync", left + 300, top + 300, "mousedown", 1)
    for x, y in ((350, 320), (420, 380), (500, 430), (600, 500)):
        time.sleep(0.4)
        run.xdotool("mousemove", "--sync", left + x, top + y)
    run.xdotool("mouseup", 1)
    dragging = time.monotonic() - started
    expect(dragging < DRAG_SPAN_SECONDS - 0.5,
           f"the drag took {dragging:.1f} s, too long to compare with {DRAG_SPAN_SECONDS} s without one")
    time.sleep(DRAG_SPAN_SECONDS - dragging)
    dragged = changed_blocks(before, capture())
    expect(dragged > idle + DRAG_BLOCKS, f"a drag changed {dragged} blocks of the picture, the nebula alone {idle}")


def escape_ends_with_status_0(screen, run, window):
    press_escape(screen, run, window)
    status = run.wait_for_exit()
    expect(status == 0, f"Escape ended the demo with status {status}")


def only_escape_ends(screen, run, window, other_keys):
    """The other keys leave the demo running; Escape then ends it with status 0."""
    run.xdotool("key", *other_keys)
    time.sleep(1)
    expect(run.process.poll() is None, "a key other than Escape ended the demo")
    escape_ends_with_status_0(screen, run, window)


def is_grey(rgb, offset):
    return all(118 <= rgb[offset + channel] <= 138 for channel in range(3))


def expect_nebula(png, size=(CLIENT_SIZE, CLIENT_SIZE)):
    """A picture of the given size (the demo's window by default): grey at the
    corners, particles over much of the middle. Returns its RGB bytes."""
    width, height, rgb = read_png(png)
    expect((width, height) == size, f"the picture is {width}x{height}, not {size[0]}x{size[1]}")
    corner = 0
    far_corner = ((height - 1) * width + width - 1) * 3
    expect(is_grey(rgb, corner) and is_grey(rgb, far_corner), "the picture's corners are not the grey background")
    middle = [(y * width + x) * 3 for y in range(height // 4, height * 3 // 4, max(1, height // 128))
              for x in range(width // 4, width * 3 // 4, max(1, width // 128))]
    lit = sum(1 for offset in middle if not is_grey(rgb, offset))
    expect(lit > len(middle) // 4, f"only {lit} of {len(middle)} points in the middle show particles")
    return rgb


class Probe:
    """Reads the probe effect file's picture: a square at "mLoc", red while
    the button is held and blue while it is up, on grey."""

    def __init__(self, screen, run, window):
        self.screen, self.run = screen, run
        self.left, self.top = screen.origin_of(window)
        self.settle_seconds = 1.0

    def colour_at(self, x, y):
        return colour_name(self.screen.pixel(self.left + x, self.top + y))

    def wait_for(self, x, y, colour, what):
        deadline = time.monotonic() + STARTUP_SECONDS
        while time.monotonic() < deadline:
            if self.colour_at(x, y) == colour:
                return
            expect(self.run.process.poll() is None, f"the demo ended while waiting for {what}")
            time.sleep(0.05)
        raise Failure(f"{what}: ({x}, {y}) is {self.colour_at(x, y)}, not {colour}")

    def still(self, x, y, colour, what):
        """For things that must not change: waits several frames first."""
        time.sleep(self.settle_seconds)
        found = self.colour_at(x, y)
        expect(found == colour, f"{what}: ({x}, {y}) is {found}, not {colour}")

    def point_at(self, x, y):
        self.run.xdotool("mousemove", "--sync", self.left + x, self.top + y)


def probe_press_and_move(screen, run, window):
    """The rules every host keeps up to a move with the button held: the
    square waits at the centre, a move with the button up changes nothing, a
    press moves it and turns it red, and so does a move while held. Returns
    the probe, its button still held at (700, 650)."""
    probe = Probe(screen, run, window)
    centre = CLIENT_SIZE // 2
    probe.wait_for(centre, centre, "blue", "with no input mLoc is the centre and the button up")

    probe.point_at(200, 300)
    probe.still(200, 300, "grey", "movement with the button up moved mLoc")
    probe.still(centre, centre, "blue", "movement with the button up changed the picture")

    probe.point_at(300, 400)
    started = time.monotonic()
    run.xdotool("mousedown", 1)
    probe.wait_for(300, 400, "red", "a press sets mLoc and mUp 0")
    # Frames under test take about this long to show an input.
    probe.settle_seconds = min(max(3 * (time.monotonic() - started), 0.5), 5.0)
    expect(probe.colour_at(centre, centre) == "grey", "the square stayed at the centre after the press")

    probe.point_at(700, 650)
    probe.wait_for(700, 650, "red", "a move with the button held moves mLoc")
    return probe


def probe_double_click(probe):
    """With the button up: the first click of a double click moves the square,
    and the second press of it is no press. Leaves the button held."""
    probe.point_at(400, 800)
    probe.run.xdotool("mousedown", 1, "mouseup", 1, "mousedown", 1)
    probe.wait_for(400, 800, "blue", "the first click of a double click moves mLoc")
    probe.still(400, 800, "blue", "the second press of a double click counted as a press")
