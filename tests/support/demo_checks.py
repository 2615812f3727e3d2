"""What more than one driver checks of a run of the demo: where its window
sits, that a drag stirs the particles, that Escape ends it, the pictures it
saves, and the mouse rules as the probe effect file draws them."""

import time

from checks import expect
from demo_runs import (CLIENT_SIZE, SCREEN_HEIGHT, SCREEN_WIDTH, STARTUP_SECONDS, changed_blocks, colour_name,
                       press_escape, read_png)


def check_window_placement(screen, window):
    geometry = window.get_geometry()
    expect((geometry.width, geometry.height) == (CLIENT_SIZE, CLIENT_SIZE),
           f"the window is {geometry.width}x{geometry.height}")
    left, top = screen.origin_of(window)
    expected = (SCREEN_WIDTH // 2 - CLIENT_SIZE // 2, SCREEN_HEIGHT // 2 - CLIENT_SIZE // 2)
    expect((left, top) == expected, f"the window is at {(left, top)}, not centred at {expected}")


def wait_until(condition, run, what, found=None, seconds=STARTUP_SECONDS):
    """Seconds from now until condition() holds, looked at again and again;
    the demo must keep running. The ceiling only ends a run that hangs;
    found() says what was seen instead."""
    started = time.monotonic()
    while not condition():
        expect(run.process.poll() is None,
               f"the demo ended with status {run.process.returncode} while waiting for {what}")
        expect(time.monotonic() - started < seconds,
               f"{what}: not within {seconds} s" + (f", {found()}" if found else ""))
        time.sleep(0.02)
    return time.monotonic() - started


# The real effect's moving particles change the band across the window's
# middle in every frame, and in every composite the watch's tests save.
BAND_TOP, BAND_HEIGHT = CLIENT_SIZE // 2 - 16, 32


def wait_for_frames(screen, run, window, count, what):
    """Until the window has shown count new frames, each seen as a change of
    the band (at least count: two frames between two looks count once)."""
    left, top = screen.origin_of(window)

    def band():
        return screen.capture(left, top + BAND_TOP, CLIENT_SIZE, BAND_HEIGHT)

    for frame in range(1, count + 1):
        shown = band()
        wait_until(lambda: band() != shown, run, f"{what}: frame {frame} of {count}")


# The real effect at a fixed step, so that each frame moves the particles as
# far however long it took to draw: the drag and the idle nebula it is
# compared with are measured over the same number of frames.
DRAG_STEP = ["--fixed-step", "50000"]
# A press and four moves with the button held, each for as many frames, then
# the vortex left to show after the release.
HOLD_FRAMES = 6
RELEASED_FRAMES = 5
DRAG_FRAMES = 5 * HOLD_FRAMES + RELEASED_FRAMES
# Of the 1,024 blocks of 32x32 pixels: the idle nebula moves the brightness of
# a dozen at most, a drag that does nothing no more, the held drag some 100
# before its release, and more after it.
DRAG_BLOCKS = 50


def expect_drag_changes(screen, run, window):
    """A slow drag with the button held changes the picture's shapes far more
    than the nebula changes them on its own, measured first over as many
    frames. The run must have DRAG_STEP among its arguments."""
    left, top = screen.origin_of(window)

    def capture():
        return screen.capture(left, top, CLIENT_SIZE, CLIENT_SIZE)

    before = capture()
    wait_for_frames(screen, run, window, DRAG_FRAMES, "the idle nebula")
    idle = changed_blocks(before, capture())

    before = capture()
    run.xdotool("mousemove", "--sync", left + 300, top + 300, "mousedown", 1)
    for x, y in ((350, 320), (420, 380), (500, 430), (600, 500)):
        wait_for_frames(screen, run, window, HOLD_FRAMES, "the drag")
        run.xdotool("mousemove", "--sync", left + x, top + y)
    wait_for_frames(screen, run, window, HOLD_FRAMES, "the drag")
    # Judged before the release as well: the burst a release throws changes
    # the picture by itself, even where the presses and moves were lost.
    held = changed_blocks(before, capture())
    run.xdotool("mouseup", 1)
    wait_for_frames(screen, run, window, RELEASED_FRAMES, "the vortex after the drag")
    dragged = changed_blocks(before, capture())
    expect(held > idle + DRAG_BLOCKS,
           f"the held drag changed {held} blocks of the picture before the release, the nebula alone {idle}")
    expect(dragged > idle + DRAG_BLOCKS, f"a drag changed {dragged} blocks of the picture, the nebula alone {idle}")


def escape_ends_with_status_0(screen, run, window):
    press_escape(screen, run, window)
    status = run.wait_for_exit()
    expect(status == 0, f"Escape ended the demo with status {status}")


def only_escape_ends(probe, window, other_keys):
    """The other keys leave the demo running for frames after them; Escape then
    ends it with status 0. The run shows the probe effect file."""
    probe.run.xdotool("key", *other_keys)
    probe.wait_for_frames(SETTLE_FRAMES, f"frames after {', '.join(other_keys)}")
    escape_ends_with_status_0(probe.screen, probe.run, window)


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


# The frame that takes in an input and the one being drawn while it came,
# then one to spare.
SETTLE_FRAMES = 3
# Where the probe effect file shows how many frames it has simulated.
COUNTER_X, COUNTER_Y = 8, CLIENT_SIZE // 2


class Probe:
    """Reads the probe effect file's picture: a square at "mLoc", red while
    the button is held and blue while it is up, on grey, and the count of
    frames modulo 256 as the green of a red square at the left edge."""

    def __init__(self, screen, run, window):
        self.screen, self.run = screen, run
        self.left, self.top = screen.origin_of(window)

    def colour_at(self, x, y):
        return colour_name(self.screen.pixel(self.left + x, self.top + y))

    def frame(self):
        """The count of frames shown, modulo 256; None before the first."""
        red, green, blue = self.screen.pixel(self.left + COUNTER_X, self.top + COUNTER_Y)
        return green if red > 200 and blue < 60 else None

    def frames_since(self, first):
        shown = self.frame()
        return 0 if shown is None else (shown - first) % 256

    def wait_for_frames(self, count, what):
        """Until count more frames have been shown than when it was called."""
        wait_until(lambda: self.frame() is not None, self.run, f"{what}: the first frame",
                   lambda: f"the frame counter at ({COUNTER_X}, {COUNTER_Y}) shows "
                           f"rgb{self.screen.pixel(self.left + COUNTER_X, self.top + COUNTER_Y)}")
        first = self.frame()
        wait_until(lambda: self.frames_since(first) >= count, self.run, what,
                   lambda: f"{self.frames_since(first)} of {count} frames shown")

    def wait_for(self, x, y, colour, what):
        wait_until(lambda: self.colour_at(x, y) == colour, self.run, f"{what}: ({x}, {y}) {colour}",
                   lambda: f"it is {self.colour_at(x, y)}")

    def still(self, x, y, colour, what):
        """For things that must not change: checked once the frames that take
        in the input before it have been shown."""
        self.wait_for_frames(SETTLE_FRAMES, what)
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
    run.xdotool("mousedown", 1)
    probe.wait_for(300, 400, "red", "a press sets mLoc and mUp 0")
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
