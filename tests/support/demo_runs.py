"""Runs of the demo as every driver makes them: a private X server, a scratch
tree with the effect file where the demo looks for it, the executable started
there with its standard error collected, its exit status, and pictures of its
window or of the files it wrote.

The drivers import the modules of tests/support by name: their ctest
registration, and any script that starts one, puts that folder on PYTHONPATH.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

from Xlib import X, display as xdisplay, error as xerror, protocol

from checks import Failure, expect

SCREEN_WIDTH, SCREEN_HEIGHT = 1600, 1200
CLIENT_SIZE = 1024
# Ceilings, generous: llvmpipe on two shared cores, beside other work,
# compiles and draws slowly. Nothing is judged by how close a run comes.
STARTUP_SECONDS = 120
EXIT_SECONDS = 60
# A server that is merely slow to start on a loaded machine.
SERVER_SECONDS = 60
# A run with a command line that ends by itself: enough for frames of the full effect.
COMMAND_LINE_SECONDS = 300


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
        deadline = time.monotonic() + SERVER_SECONDS
        while server.poll() is None and time.monotonic() < deadline:
            if os.path.exists(f"/tmp/.X11-unix/X{number}"):
                return server, f":{number}"
            time.sleep(0.05)
        server.kill()
        server.wait()
    raise Failure(f"environment: no X server could be started on displays :{first} to :{first + 99}")


class Screen:
    """The X server as the tests look at it."""

    def __init__(self, display_name):
        self.display_name = display_name
        # The server may report its number a moment before it takes
        # connections, and a busy one may refuse one now and then.
        deadline = time.monotonic() + SERVER_SECONDS
        while True:
            try:
                self.display = xdisplay.Display(display_name)
                break
            except xerror.DisplayConnectionError as refusal:
                expect(time.monotonic() < deadline,
                       f"environment: cannot open display {display_name} within {SERVER_SECONDS} s: {refusal}")
                time.sleep(0.1)
        self.root = self.display.screen().root

    def window_named(self, name, run):
        deadline = time.monotonic() + STARTUP_SECONDS
        while time.monotonic() < deadline:
            expect(run.process.poll() is None,
                   f"the demo ended with status {run.process.returncode} before showing '{name}'")
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


class XServer:
    """A private X server for as long as the with-block lasts, and the screen as seen on it."""

    def __enter__(self):
        self.process, self.display_name = start_x_server()
        self.screen = Screen(self.display_name)
        return self

    def __exit__(self, *exception):
        self.process.terminate()
        self.process.wait()


class Tree:
    """A scratch folder, removed at the end of a with-block. Given an effect
    file it is laid out as the demo expects: assets/Shaders.glsl, and run/ to
    work in, where ../assets/ finds it."""

    def __init__(self, effect_file=None):
        self.root = tempfile.mkdtemp(prefix="vanteel-")
        if effect_file:
            shutil.copyfile(effect_file, os.path.join(self.directory("assets"), "Shaders.glsl"))
            self.directory("run")

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.remove()

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

    def program(self, executable, folder="bin"):
        """A copy of the executable in the tree's folder named: the folders the
        program searches beside itself are then the tree's own."""
        return shutil.copy(executable, self.directory(folder))

    def remove(self):
        # Cases may have taken the permissions away that removing needs.
        for directory, subdirectories, _ in os.walk(self.root):
            for name in subdirectories:
                os.chmod(os.path.join(directory, name), 0o755)
        shutil.rmtree(self.root, ignore_errors=True)


def run_environment(display_name, **variables):
    return dict(os.environ, DISPLAY=display_name, **variables)


def headless_environment():
    """This process's environment without any display to reach."""
    return {name: value for name, value in os.environ.items() if name not in ("DISPLAY", "WAYLAND_DISPLAY")}


def describe_status(status):
    return f"signal {-status}" if status < 0 else f"status {status}"


class Run:
    """One run of the executable (after the prefix's command, if any), its
    standard error collected; the tree it runs in, if given, goes with it."""

    def __init__(self, executable, working_directory, environment, prefix=(), arguments=(), tree=None):
        self.working_directory, self.environment, self.tree = working_directory, environment, tree
        with tempfile.NamedTemporaryFile(prefix="vanteel-stderr-", delete=False) as stderr:
            self.stderr_path = stderr.name
            self.process = subprocess.Popen([*prefix, os.path.abspath(executable), *arguments],
                                            cwd=working_directory, env=environment,
                                            stdout=subprocess.DEVNULL, stderr=stderr)

    def stderr(self):
        with open(self.stderr_path, "rb") as stderr:
            return stderr.read().decode("latin-1")

    def wait_for_exit(self, seconds=EXIT_SECONDS):
        try:
            return self.process.wait(seconds)
        except subprocess.TimeoutExpired:
            raise Failure(f"the demo still runs {seconds} s later")

    def xdotool(self, *arguments):
        subprocess.run(["xdotool", *map(str, arguments)], env=self.environment, check=True,
                       stdout=subprocess.DEVNULL)

    def finish(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        os.unlink(self.stderr_path)
        if self.tree:
            self.tree.remove()


def not_found_line(tried):
    """The line after the fatal message of a demo that found no effect file."""
    return f"The effect file was looked for as {', '.join(tried)}; name its folder with --assets DIR\n"


def tried_beside(bin_folder, separator="/"):
    """The files the demo tries beside a program in bin_folder: ../assets/ and the data folder."""
    parent = bin_folder.rsplit(separator, 1)[0]
    return [separator.join([parent, "assets", "Shaders.glsl"]),
            separator.join([parent, "share", "vanteel", "Shaders.glsl"])]


def start_demo(executable, effect_file, display_name, arguments=(), prefix=(), **variables):
    """The executable in a tree of its own on the display named; the effect
    file, if any, is ../assets/Shaders.glsl as seen from where it works.
    Without one the demo runs from a copy in the tree's bin/, so that no
    effect file beside the build's executable is found either."""
    tree = Tree(effect_file)
    if not effect_file:
        executable = tree.program(executable)
    return Run(executable, tree.directory("run"), run_environment(display_name, **variables), prefix, arguments,
               tree)


def run_on_private_display(start, case):
    """An X server of its own, a run on it (start(display name)), and
    case(screen, run); on a failure the run's standard error goes with the
    reason. Both end whatever happens."""
    with XServer() as server:
        run = start(server.display_name)
        try:
            case(server.screen, run)
        except Failure:
            sys.stderr.write("the demo's standard error:\n" + run.stderr()[-6000:])
            raise
        finally:
            run.finish()


def run_to_exit(command, working_directory, environment, seconds):
    """A command run to its end, its output and standard error collected."""
    try:
        return subprocess.run(command, cwd=working_directory, env=environment, capture_output=True,
                              timeout=seconds)
    except subprocess.TimeoutExpired:
        raise Failure(f"{' '.join(map(str, command))} still ran {seconds} s later")


def run_command_line(executable, arguments, working_directory, display_name=None):
    """The executable run to its end with a command line, on the display named
    or with none at all; its status, output and standard error."""
    environment = run_environment(display_name) if display_name else headless_environment()
    return run_to_exit([os.path.abspath(executable), *arguments], working_directory, environment,
                       COMMAND_LINE_SECONDS)


def run_command_line_on_display(executable, arguments, working_directory):
    """The same on a private X server, where it must end with status 0."""
    with XServer() as server:
        result = run_command_line(executable, arguments, working_directory, server.display_name)
    expect(result.returncode == 0, f"{' '.join(arguments)} ended with status {result.returncode}; "
                                   f"standard error:\n{result.stderr.decode(errors='replace')[-4000:]}")
    return result


def press_escape(screen, run, window):
    """Escape goes to the window under the pointer: there is no window manager."""
    left, top = screen.origin_of(window)
    run.xdotool("mousemove", "--sync", left + 10, top + 10, "key", "Escape")


def colour_name(rgb):
    red, green, blue = rgb
    if red > 200 and green < 60 and blue < 60:
        return "red"
    if blue > 200 and red < 60 and green < 60:
        return "blue"
    if all(118 <= channel <= 138 for channel in rgb):
        return "grey"
    return f"rgb{rgb}"


def block_brightness(capture, size=32, step=4):
    """The mean brightness (0 to 255) of each size x size block of a window-sized
    capture, from every step-th pixel of every step-th row."""
    means = []
    for top in range(0, CLIENT_SIZE, size):
        for left in range(0, CLIENT_SIZE, size):
            total = 0
            for y in range(top, top + size, step):
                start = (y * CLIENT_SIZE + left) * 4
                for offset in range(start, start + size * 4, step * 4):
                    total += capture[offset] + capture[offset + 1] + capture[offset + 2]
            means.append(total / ((size // step) ** 2 * 3))
    return means


def changed_blocks(before, after, levels=8):
    """How many 32x32 blocks of two window-sized captures differ in mean
    brightness by more than levels: the picture's shapes changing, not the
    flicker of single particles."""
    return sum(1 for old, new in zip(block_brightness(before), block_brightness(after)) if abs(old - new) > levels)


def distinct_colours(capture):
    return len({capture[offset:offset + 3] for offset in range(0, len(capture), 4)})


def read_png(path):
    """A picture the demo wrote, which must be an 8-bit RGB PNG without
    interlacing, as (width, height, RGB bytes from the top row)."""
    expect(os.path.exists(path), f"no picture was written to {path}")
    kind = subprocess.run(["identify", "-format", "%m %z %[channels] %[interlace] %w %h", path],
                          capture_output=True, check=True).stdout.decode().split()
    expect(kind[:4] == ["PNG", "8", "srgb", "None"], f"{path} is not an 8-bit RGB PNG without interlacing: {kind}")
    rgb = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
    return int(kind[4]), int(kind[5]), rgb
