#!/usr/bin/python3
"""Runs the Windows executable under Wine on a private X server and checks
what can be seen from outside: the window and its class as another Win32
program sees them, the pictures, the answers to mouse and keyboard, the exit
status, the text on the debugger output channel and in the console, and the
files a command line asks for.

    drive_windows_demo.py CASE EXECUTABLE PROBE [EFFECT_FILE]

PROBE is the small Win32 program that describes or closes the demo's window.
EFFECT_FILE is copied to ../assets/Shaders.glsl as seen from the demo's
working directory; without it the demo finds no effect file at all. Every
case runs in a Wine prefix of its own folder next to EXECUTABLE, whose
server is shut down when the case ends.
"""

import json
import os
import pty
import re
import select
import subprocess
import sys
import tempfile
import threading
import time

import effect_file_variants
from checks import Failure, expect, outcome
from demo_checks import (DRAG_STEP, check_window_placement, escape_ends_with_status_0, expect_drag_changes,
                         expect_nebula, only_escape_ends, probe_double_click, probe_press_and_move, wait_for_frames)
from demo_runs import (CLIENT_SIZE, EXIT_SECONDS, SCREEN_HEIGHT, SCREEN_WIDTH, Tree, XServer,
                       distinct_colours, not_found_line, run_environment, run_on_private_display, run_to_exit,
                       start_demo, tried_beside)
from wine_runs import WINE_RUN, debug_writes, stop_wine, wine_variables

WINE_TRACE = re.compile(r"^[0-9a-f]+:(trace|warn|err|fixme):")
# The +win channel's line for every window created, with its class and caption.
WINDOW_CREATED = re.compile(r':win:WIN_CreateWindowEx "Kov App"', re.MULTILINE)
# A ceiling: llvmpipe under Wine draws the full demo at a few frames per second,
# fewer beside other work.
RUN_SECONDS = 300
HELP_OPTIONS = ("--assets", "--frames", "--screenshot", "--fixed-step", "--benchmark", "--warmup", "--stats-file",
                "--size", "--fullscreen", "--vsync", "--no-vsync", "--particles", "--record", "--watch")


def run_win32(demo, program, *arguments):
    """Runs another Win32 program beside the demo; returns its status and output."""
    result = subprocess.run([WINE_RUN, os.path.abspath(program), *arguments], env=demo.environment,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=EXIT_SECONDS)
    return result.returncode, result.stdout.decode(errors="replace").replace("\r\n", "\n")


def check_version_line(demo):
    writes = debug_writes(demo.stderr())
    expect(any(write.startswith("OpenGL Version: ") and write.endswith("\n") for write in writes),
           f"no 'OpenGL Version: ' line on the debugger channel, only {writes!r}")


def check_class_and_styles(demo, probe):
    status, report = run_win32(demo, probe)
    expect(status == 0, f"the probe found no window of class 'Kov App': {report!r}")
    facts = dict(line.split(" ", 1) for line in report.splitlines() if " " in line)
    expect(facts.get("class") == "Kov App", f"class {facts.get('class')!r}")
    expect(facts.get("caption") == "Vanteel", f"caption {facts.get('caption')!r}")
    # CS_CLASSDC | CS_DBLCLKS
    expect(int(facts["class_style"], 16) == 0x48, f"class style {facts['class_style']}")
    style = int(facts["style"], 16)
    popup_visible_sysmenu = 0x80000000 | 0x10000000 | 0x00080000
    caption_frame_border = 0x00C00000 | 0x00040000 | 0x00800000
    expect(style & popup_visible_sysmenu == popup_visible_sysmenu and not style & caption_frame_border,
           f"window style {facts['style']}")
    expect(int(facts["extended_style"], 16) == 0, f"extended style {facts['extended_style']}")
    expected_client = (f"{CLIENT_SIZE}x{CLIENT_SIZE}+{SCREEN_WIDTH // 2 - CLIENT_SIZE // 2}"
                       f"+{SCREEN_HEIGHT // 2 - CLIENT_SIZE // 2}")
    expect(facts.get("client") == expected_client, f"client area {facts.get('client')}, not {expected_client}")
    expect(facts.get("visible") == "1", "the window is not visible")


def check_frames_render(screen, demo, window):
    """Frames keep changing the picture, which shows more than one colour."""
    wait_for_frames(screen, demo, window, 2, "frames of the real effect")
    left, top = screen.origin_of(window)
    picture = screen.capture(left, top, CLIENT_SIZE, CLIENT_SIZE)
    expect(distinct_colours(picture) > 1, "the window shows a single colour")


def case_startup(screen, demo, probe):
    """The real effect file: version line, window, class, a drag, Escape."""
    window = screen.window_named("Vanteel", demo)
    check_version_line(demo)
    check_window_placement(screen, window)
    check_class_and_styles(demo, probe)
    check_frames_render(screen, demo, window)
    expect_drag_changes(screen, demo, window)
    escape_ends_with_status_0(screen, demo, window)


def run_probe_checks(screen, demo, window):
    """The mouse rules inside the client area. Without a capture of the
    mouse, a release outside the window goes to whatever lies under the
    pointer, as on Windows itself, so the drags here stay inside."""
    probe = probe_press_and_move(screen, demo, window)
    # Far from the diagonal, so swapped halves would show.
    probe.point_at(1000, 40)
    probe.wait_for(1000, 40, "red", "a move to the top-right corner moves mLoc there")
    demo.xdotool("mouseup", 1)
    probe.wait_for(1000, 40, "blue", "a release sets mUp 1 and leaves mLoc")

    probe_double_click(probe)
    demo.xdotool("mouseup", 1)
    probe.point_at(600, 200)
    demo.xdotool("mousedown", 1)
    probe.wait_for(600, 200, "red", "a press after a double click is a press")
    demo.xdotool("mouseup", 1)
    probe.wait_for(600, 200, "blue", "the release after that press")
    return probe


def case_input(screen, demo, probe):
    """The probe effect file: the mouse rules as Wine delivers the messages."""
    window = screen.window_named("Vanteel", demo)
    probe = run_probe_checks(screen, demo, window)
    only_escape_ends(probe, window, ("q", "space", "Return", "F4", "ctrl+c"))


def expect_closed_with_status_0(demo, how):
    status = demo.wait_for_exit()
    expect(status == 0, f"{how} ended the demo with status {status}")


def case_close_by_task_bar(screen, demo, probe):
    screen.window_named("Vanteel", demo)
    status, report = run_win32(demo, probe, "close")
    expect(status == 0, f"the probe could not ask the window to close: {report!r}")
    expect_closed_with_status_0(demo, "a close from the task bar")


def case_close_by_window_manager(screen, demo, probe):
    window = screen.window_named("Vanteel", demo)
    screen.close_as_window_manager(window)
    expect_closed_with_status_0(demo, "a close by the window manager")


def case_alt_f4(screen, demo, probe):
    window = screen.window_named("Vanteel", demo)
    left, top = screen.origin_of(window)
    demo.xdotool("mousemove", "--sync", left + 10, top + 10)
    demo.xdotool("key", "alt+F4")
    expect_closed_with_status_0(demo, "Alt+F4")


def case_missing_effect(screen, demo, probe):
    status = demo.wait_for_exit()
    expect(status == 1, f"a missing effect file ended the demo with status {status}")
    writes = debug_writes(demo.stderr())
    # The program's folder as Windows names it: Wine's drive Z: is the root.
    bin_folder = "Z:" + demo.tree.path("bin").replace("/", "\\")
    tried = ["../assets/Shaders.glsl", "Shaders", *tried_beside(bin_folder, "\\")]
    expected = ["Can't find vertex shader: Shaders.Composite.VS\n", "\n", not_found_line(tried)[:-1], "\n"]
    expect(writes[-4:] == expected, f"the debugger channel ends with {writes[-4:]!r}, not {expected!r}")


def case_multisampling(screen, demo, probe):
    """The test build with multisampling on: the search, a second window
    and context, then frames."""
    window = screen.window_named("Vanteel", demo)
    check_version_line(demo)
    trace = demo.stderr()
    searched = re.findall(r"GLX_SAMPLES_ARB: ([0-9a-f]+)", trace)
    expect(searched and searched[0] == "10", f"the search asked for sample counts {searched}, not from 16 down")
    expect(all(int(a, 16) == int(b, 16) + 1 for a, b in zip(searched, searched[1:])),
           f"the search skipped sample counts: {searched}")
    formats = re.findall(r"wgl:set_pixel_format \([0-9a-fx]+,([0-9]+)\)", trace)
    expect(len(formats) == 2, f"pixel formats set: {formats}; the window was not re-created with a second one")
    expect(len(re.findall(r"wglCreateContext ", trace)) == 2, "not exactly two rendering contexts were created")
    check_class_and_styles(demo, probe)
    check_frames_render(screen, demo, window)
    escape_ends_with_status_0(screen, demo, window)


class OptionRuns:
    """Runs of the executable with a command line, one after another on the
    display named, each until it exits; Wine traces the debugger channel and
    window creation."""

    def __init__(self, executable, effect_file, display_name):
        self.executable, self.effect_file = os.path.abspath(executable), effect_file
        self.environment = run_environment(display_name, **wine_variables(executable, "+debugstr,+win"))

    def run(self, arguments, working_directory):
        """Started directly, as a script would: the handles it is given are pipes."""
        return run_to_exit([WINE_RUN, self.executable, *arguments], working_directory, self.environment,
                           RUN_SECONDS)

    def run_from_console(self, arguments):
        """Started from the prompt of a console on a terminal. Wine hands a
        program that cmd starts directly cmd's own handles; `start /wait`
        starts it as Windows starts any window-subsystem program from a
        prompt: with no standard handles, so it must join the console itself.
        Returns the exit status, what the console shows without its control
        sequences and line breaks, and Wine's trace."""
        controller, terminal = pty.openpty()
        program = "Z:" + self.executable.replace("/", "\\")
        with tempfile.TemporaryFile() as trace:
            process = subprocess.Popen([WINE_RUN, "cmd", "/c", "start", "/wait", program, *arguments],
                                       env=self.environment, stdin=terminal, stdout=terminal, stderr=trace)
            os.close(terminal)
            shown = bytearray()
            deadline = time.monotonic() + RUN_SECONDS
            while time.monotonic() < deadline:
                if select.select([controller], [], [], 0.2)[0]:
                    try:
                        shown += os.read(controller, 4096)
                        continue
                    except OSError:  # every end of the terminal is closed
                        break
                if process.poll() is not None:
                    break
            os.close(controller)
            if process.poll() is None:
                process.kill()
                raise Failure(f"{' '.join(arguments)} from a console still ran {RUN_SECONDS} s later")
            trace.seek(0)
            text = re.sub(r"\x1b\[[0-9;?]*[A-Za-z]|[\r\n]", "", shown.decode(errors="replace"))
            return process.returncode, text, trace.read().decode(errors="replace")


def without_line_breaks(text):
    return text.replace("\n", "")


def user_lines(stderr):
    return [line for line in stderr.decode(errors="replace").splitlines() if not WINE_TRACE.match(line)]


def expect_no_window(trace, how):
    expect(not WINDOW_CREATED.search(trace), f"{how} created the demo's window")


def case_command_line(runs):
    """Help and the version are answered, and mistakes refused with status 2,
    in the console the program was started from, on its redirected output
    and on the debugger channel, before any window exists."""
    status, shown, trace = runs.run_from_console(["--help"])
    expect(status == 0, f"--help from a console ended with status {status}")
    expect(shown.startswith("usage: vanteel [--help] [--version]"), f"the console shows {shown[:200]!r} after --help")
    # Each option in the usage line and again in the list below it, to the last.
    for option in HELP_OPTIONS:
        expect(shown.count(option) >= 2, f"the console shows {option} only {shown.count(option)} times after --help")
    # Wine cuts so long a write short in its trace.
    expect(':debugstr:OutputDebugStringA "usage: vanteel [--help]' in trace,
           "--help wrote nothing on the debugger channel")
    expect_no_window(trace, "--help")

    version = runs.run(["--version"], tempfile.gettempdir())
    printed = version.stdout.decode(errors="replace")
    expect(version.returncode == 0, f"--version ended with status {version.returncode}")
    expect(re.fullmatch(r"Vanteel [0-9]+\.[0-9]+\.[0-9]+\n", printed), f"--version printed {printed!r}")
    expect(debug_writes(version.stderr.decode(errors="replace")) == [printed],
           "--version wrote something else on the debugger channel")

    status, shown, trace = runs.run_from_console(["--full-screen"])
    expected = 'vanteel: unknown option "--full-screen"; usage: vanteel [--help]'
    expect(status == 2, f"an unknown option from a console ended with status {status}")
    expect(shown.startswith(expected), f"the console shows {shown!r}, not {expected!r}...")
    writes = [without_line_breaks(write) for write in debug_writes(trace)]
    expect(len(writes) == 1 and writes[0].startswith(expected) and shown.startswith(writes[0]),
           f"the debugger channel holds {debug_writes(trace)!r}, not the console's line")
    expect_no_window(trace, "an unknown option")

    mistake = runs.run(["--frames", "ten"], tempfile.gettempdir())
    expect(mistake.returncode == 2, f"--frames ten ended with status {mistake.returncode}")
    lines = user_lines(mistake.stderr)
    expect(len(lines) == 1 and lines[0].startswith('vanteel: --frames wants a whole number of frames above 0, not '
                                                   '"ten"; usage: vanteel'),
           f"--frames ten printed {lines!r} instead of one usage line")
    expect(mistake.stdout == b"", "--frames ten printed on standard output")
    expect_no_window(mistake.stderr.decode(errors="replace"), "--frames ten")


def case_screenshot(runs):
    """The last of a fixed number of fixed steps, saved beside the working directory."""
    with Tree(runs.effect_file) as tree:
        result = runs.run(["--frames", "30", "--screenshot", "frame.png", "--fixed-step", "16667"], tree.path("run"))
        trace = result.stderr.decode(errors="replace")
        expect(result.returncode == 0, f"the run ended with status {result.returncode}:\n{trace[-4000:]}")
        # The trace in which the command line's answers must show no window.
        expect(WINDOW_CREATED.search(trace), "no window of class 'Kov App' in Wine's trace")
        expect_nebula(tree.path("run", "frame.png"))


def case_benchmark(runs):
    """The figures on standard output, and every frame time in the stats file."""
    with Tree(runs.effect_file) as tree:
        result = runs.run(["--benchmark", "2", "--warmup", "0", "--stats-file", "stats.json"], tree.path("run"))
        expect(result.returncode == 0, f"the benchmark ended with status {result.returncode}")
        expect(os.path.exists(tree.path("run", "stats.json")), "no stats file was written")
        with open(tree.path("run", "stats.json")) as stream:
            figures = json.load(stream)
        frame_times = figures["frameTimesMilliseconds"]
        expect(figures["frames"] > 0 and figures["frames"] == len(frame_times),
               f"the stats claim {figures['frames']} frames and list {len(frame_times)}")
        expect(sum(frame_times) > 1999, f"the measured frames cover {sum(frame_times):.0f} ms, not 2 s")
        expect(figures["complete"] and figures["operatingSystem"].startswith("Windows "),
               f"the report says complete={figures['complete']}, operating system {figures['operatingSystem']!r}")
        printed = result.stdout.decode(errors="replace")
        expect(f"benchmark: {figures['frames']} frames in" in printed, f"standard output lacks the frames:\n{printed}")


def case_assets(runs):
    """An effect file found through --assets, given as a Windows path, from a
    working directory with nothing beside it."""
    with Tree(runs.effect_file) as tree, Tree() as elsewhere:
        assets = "Z:" + tree.path("assets").replace("/", "\\")
        result = runs.run(["--assets", assets, "--frames", "3"], elsewhere.root)
        expect(result.returncode == 0, f"--assets {assets} ended with status {result.returncode}: "
                                       f"{debug_writes(result.stderr.decode(errors='replace'))[-2:]!r}")


def case_window_and_particles(runs):
    """Size, full screen, particle count, swap interval and recording, each seen
    in what the run leaves; and --watch's reasons reach the console."""
    with Tree(runs.effect_file) as tree:
        for arguments, size in ((["--size", "640x480"], (640, 480)),
                                (["--fullscreen"], (SCREEN_WIDTH, SCREEN_HEIGHT))):
            result = runs.run([*arguments, "--frames", "10", "--screenshot", "frame.png"], tree.path("run"))
            expect(result.returncode == 0, f"{arguments} ended with status {result.returncode}")
            expect_nebula(tree.path("run", "frame.png"), size)

        result = runs.run(["--particles", "100000", "--vsync", "--size", "320x240", "--benchmark", "1", "--warmup",
                           "0", "--stats-file", "stats.json"], tree.path("run"))
        expect(result.returncode == 0, f"the benchmark ended with status {result.returncode}")
        with open(tree.path("run", "stats.json")) as stream:
            figures = json.load(stream)
        expect((figures["window"], figures["particles"], figures["swapInterval"]) ==
               ({"width": 320, "height": 240}, 100000, 1),
               f"the report gives {figures['window']}, {figures['particles']} particles, "
               f"interval {figures['swapInterval']}")

        result = runs.run(["--record", "frames", "--frames", "4", "--size", "320x240"], tree.path("run"))
        recorded = sorted(os.listdir(tree.path("run", "frames"))) if result.returncode == 0 else []
        expect(recorded == [f"frame-{number:06d}.png" for number in range(1, 5)], f"the recording holds {recorded}")

        # A broken save while the demo watches: its reason shows in the console.
        # The benchmark's seconds, not a frame count, make the run outlast the
        # save however slowly Wine draws; the save comes well after start-up.
        effect = tree.path("assets", "Shaders.glsl")
        with open(effect, "rb") as stream:
            broken = effect_file_variants.compile_error(stream.read())
        saving = threading.Timer(8, lambda: open(effect, "wb").write(broken))
        saving.start()
        try:
            status, shown, _ = runs.run_from_console(
                ["--watch", "--benchmark", "15", "--warmup", "0", "--particles", "1000", "--size", "128x128",
                 "--assets", "Z:" + tree.path("assets")])
        finally:
            saving.cancel()
        expect(status == 0 and effect_file_variants.PERCENT_TEXT.decode() in shown,
               f"--watch from a console ended with status {status} and showed {shown[-400:]!r}")


CASES = {
    "startup": case_startup,
    "input": case_input,
    "close-by-task-bar": case_close_by_task_bar,
    "close-by-window-manager": case_close_by_window_manager,
    "alt-f4": case_alt_f4,
    "missing-effect": case_missing_effect,
    "multisampling": case_multisampling,
}

# The drag is measured at a fixed step.
CASE_ARGUMENTS = {case_startup: DRAG_STEP}

OPTION_CASES = {
    "command-line": case_command_line,
    "screenshot": case_screenshot,
    "benchmark": case_benchmark,
    "assets": case_assets,
    "window-and-particles": case_window_and_particles,
}


def run_option_case(case, executable, effect_file):
    with XServer() as server:
        runs = OptionRuns(executable, effect_file, server.display_name)
        try:
            case(runs)
        finally:
            stop_wine(runs.environment)


def run_demo_case(case, executable, probe, effect_file):
    """The case against one run on a private X server; the prefix's Wine server ends with it."""
    variables = wine_variables(executable, "+debugstr,+wgl" if case == case_multisampling else "+debugstr")
    try:
        run_on_private_display(
            lambda display: start_demo(executable, effect_file, display, CASE_ARGUMENTS.get(case, ()),
                                       prefix=(WINE_RUN,), **variables),
            lambda screen, demo: case(screen, demo, probe))
    finally:
        stop_wine(dict(os.environ, **variables))


def main(arguments):
    if len(arguments) not in (3, 4) or arguments[0] not in {**CASES, **OPTION_CASES}:
        sys.exit(__doc__ + "CASE is one of: " + ", ".join([*CASES, *OPTION_CASES]))
    case, executable, probe = arguments[:3]
    effect_file = arguments[3] if len(arguments) == 4 else None
    if case in OPTION_CASES:
        return outcome(lambda: run_option_case(OPTION_CASES[case], executable, effect_file))
    return outcome(lambda: run_demo_case(CASES[case], executable, probe, effect_file))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
