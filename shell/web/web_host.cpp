#include "shell/run/frame_loop.h"
#include "shell/run/gl_context.h"
#include "shell/run/host_platform.h"
#include "shell/web/web_canvas.h"
#include "shell/web/web_context.h"
#include "shell/web/web_figures.h"
#include "shell/web/web_input.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdlib>

// The page's canvas (web_page.html).
static const char CanvasSelector[] = "#canvas";
// The frame loop writes the benchmark's JSON here; the host hands it on to
// the page and the console.
static const char BenchmarkStatsPath[] = "/benchmark.json";
static constexpr int64_t TimerFrequency = 1000000;

static FrameLoop loop;
// Whether an animation frame is asked for: a lost context lets the chain of
// frames run out, and the restore starts it again only where it did.
static bool framesRequested;

// The browser shows the canvas once the animation frame's callback returns.
static void presentFrame() { }

// The page's clock, performance.now(), in microseconds.
static int64_t readTimer() { return static_cast<int64_t>(emscripten_get_now() * 1000.0); }

static bool runOver() { return quitRequested() || loopOver(loop); }

// The end of the run is the end of the process: exit hands the status to
// the page, which shows that the demo has stopped and may start a new
// instance on a new canvas, so this one stops listening to the page.
[[noreturn]] static void endRun()
{
    const int status = finishFrameLoop(&loop, LoopEnd::WindowOpen);
    if (loop.options.benchmark)
        showBenchmarkResults(loop, BenchmarkStatsPath);
    emscripten_html5_remove_all_event_listeners();
    std::exit(status);
}

// One animation frame: as the desktop loop between two events, with Escape
// taking effect before the next frame is drawn. Returns whether another
// frame is wanted: none while the context is lost, which may be before the
// browser's event says so.
extern "C" EMSCRIPTEN_KEEPALIVE int runAnimationFrame()
{
    if (contextLost()) {
        framesRequested = false;
        return 0;
    }
    if (!runOver()) {
        followCanvasLayout(CanvasSelector, loop.demo);
        runLoopFrame(&loop, presentFrame);
        showFrameFigures(loop, readTimer());
    }
    if (runOver())
        endRun();
    return 1;
}

// exit() unwinds through here with an ExitStatus: the run is over, and the
// page has already been told, so no further frame is asked for.
// clang-format off
EM_JS(void, requestFramesFromPage, (), {
    function frame() {
        try {
            if (!_runAnimationFrame())
                return;
        } catch (thrown) {
            if (thrown instanceof ExitStatus)
                return;
            throw thrown;
        }
        requestAnimationFrame(frame);
    }
    requestAnimationFrame(frame);
});
// clang-format on

static void requestFrames()
{
    framesRequested = true;
    requestFramesFromPage();
}

static void contextTakenAway()
{
    showStatus("The browser took the graphics context away; the demo goes on when it gives it back.");
}

// Everything the GL held went with the context: initialise makes it all
// again from the effect file already read, and the particles start from
// birth. The time the context was away is not simulated.
static void contextGivenBack()
{
    loop.demo.initialise();
    loop.clock.previousReading = readTimer();
    startFrameFigures(loop, loop.clock.previousReading);
    showStatus("");
    if (!framesRequested)
        requestFrames();
}

static void startWindowSystem() { }

static int64_t timerFrequency() { return TimerFrequency; }

// The page's own control asks the browser for full screen; the frame rate is
// the display's whatever the command line says.
static int openWindow(Demo demo, WindowRequest)
{
    createWebGl2Context(CanvasSelector, demo.configuration());
    loadOpenGlEntryPoints();
    const DrawingBufferSize size = fitCanvasToLayout(CanvasSelector, demo);
    connectInput(CanvasSelector, demo.handleMouse, size.width, size.height);
    // The browser paces frames to the display, as a swap interval of 1 would.
    return 1;
}

static void windowReady(Demo demo) { emscripten_set_window_title(demo.configuration().title); }

// The browser delivers events between animation frames, never inside one.
static bool handleEvents() { return false; }

static LoopEnd closeWindow() { return LoopEnd::WindowOpen; }

// Returning from main would end the run before its first frame: the
// browser's animation frames run the loop from here on.
static void handOverFrames(FrameLoop* started)
{
    loop = *started;
    if (loop.options.benchmark)
        loop.options.statsFilePath = BenchmarkStatsPath;
    startFrameFigures(loop, loop.clock.previousReading);
    watchContextLoss(CanvasSelector, contextTakenAway, contextGivenBack);
    requestFrames();
    emscripten_exit_with_live_runtime();
}

const HostPlatform& hostPlatform()
{
    static const HostPlatform web = {startWindowSystem, readTimer, timerFrequency, openWindow,  windowReady,
                                     handleEvents,      runOver,   presentFrame,   closeWindow, handOverFrames};
    return web;
}
