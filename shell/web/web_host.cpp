#include "shell/run/gl_context.h"
#include "shell/run/host_platform.h"
#include "shell/run/run_sequence.h"
#include "shell/web/web_canvas.h"
#include "shell/web/web_context.h"
#include "shell/web/web_figures.h"
#include "shell/web/web_input.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdlib>

// The page's canvas (web_page.html).
static const char CanvasSelector[] = "#canvas";
static constexpr int64_t TimerFrequency = 1000000;

// Whether an animation frame is asked for: a lost context lets the chain of
// frames run out, and the restore starts it again only where it did.
static bool framesRequested;

// The browser shows the canvas once the animation frame's callback returns.
static void presentFrame() { }

// The page's clock, performance.now(), in microseconds.
static int64_t readTimer() { return static_cast<int64_t>(emscripten_get_now() * 1000.0); }

// The end of the run is the end of the process: exit hands the status to
// the page, which shows that the demo has stopped and may start a new
// instance on a new canvas, so this one stops listening to the page.
[[noreturn]] static void endRun()
{
    const int status = finishRun();
    if (runningLoop()->options.benchmark)
        showBenchmarkResults(*runningLoop());
    emscripten_html5_remove_all_event_listeners();
    std::exit(status);
}

// One animation frame: one step of the run, as the desktop loop takes
// between two events. Returns whether another frame is wanted: none while
// the context is lost, which may be before the browser's event says so.
extern "C" EMSCRIPTEN_KEEPALIVE int runAnimationFrame()
{
    if (contextLost()) {
        framesRequested = false;
        return 0;
    }
    if (!runStep())
        endRun();
    showFrameFigures(*runningLoop(), readTimer());
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
    FrameLoop* loop = runningLoop();
    loop->demo.initialise();
    loop->clock.previousReading = readTimer();
    startFrameFigures(*loop, loop->clock.previousReading);
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

// The browser delivers its events between animation frames, never inside
// one, so none is pending here; the page's layout may have resized the
// canvas since the last frame, and the frame follows it.
static bool handleEvents()
{
    followCanvasLayout(CanvasSelector, runningLoop()->demo);
    return false;
}

// Escape, which the page hands to the demo.
static bool runEnded() { return quitRequested(); }

// The canvas stays on the page with its last picture.
static LoopEnd windowAtEnd() { return LoopEnd::WindowOpen; }

// Returning from main would end the run before its first frame: the
// browser's animation frames step the run from here on.
static void handOverFrames()
{
    startFrameFigures(*runningLoop(), runningLoop()->clock.previousReading);
    watchContextLoss(CanvasSelector, contextTakenAway, contextGivenBack);
    requestFrames();
    emscripten_exit_with_live_runtime();
}

const HostPlatform& hostPlatform()
{
    static const HostPlatform web = {startWindowSystem, readTimer, timerFrequency, openWindow,  windowReady,
                                     handleEvents,      runEnded,  presentFrame,   windowAtEnd, handOverFrames};
    return web;
}
