#include "shell/diagnostics.h"
#include "shell/run/frame_loop.h"
#include "shell/run/gl_context.h"
#include "shell/run/host_platform.h"
#include "shell/web/web_input.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

// The page's canvas (web_page.html).
static const char CanvasSelector[] = "#canvas";
// The frame loop writes the benchmark's JSON here; the host hands it on to
// the console as one message.
static const char BenchmarkStatsPath[] = "/benchmark.json";
static constexpr int64_t TimerFrequency = 1000000;
static constexpr int64_t FrameRateIntervalMicroseconds = 1000000;

static FrameLoop loop;
static int64_t frameRateShownAt;
static int64_t framesWhenRateShown;

// The browser shows the canvas once the animation frame's callback returns.
static void presentFrame() { }

// The page's clock, performance.now(), in microseconds.
static int64_t readTimer() { return static_cast<int64_t>(emscripten_get_now() * 1000.0); }

// clang-format off
EM_JS(void, showStatus, (const char* text), { Module.showStatus(UTF8ToString(text)); });
// clang-format on
// clang-format off
EM_JS(void, logToConsole, (const char* text), { console.log(UTF8ToString(text)); });
// clang-format on

static void createWebGl2Context(const AppConfig& config)
{
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    // What the desktop window asks for: 24 colour bits, no depth or
    // stencil buffer, multisampled only when configured so.
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_FALSE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = config.multisampling ? EM_TRUE : EM_FALSE;
    emscripten_set_canvas_element_size(CanvasSelector, config.width, config.height);
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(CanvasSelector, &attributes);
    checkCondition(context > 0, "This browser offers no WebGL 2 context.\n");
    emscripten_webgl_make_context_current(context);
}

static void showFrameRate()
{
    const int64_t now = readTimer();
    if (now - frameRateShownAt < FrameRateIntervalMicroseconds)
        return;
    const double framesPerSecond =
        double(loop.framesPresented - framesWhenRateShown) * double(TimerFrequency) / double(now - frameRateShownAt);
    char text[96];
    std::snprintf(text, sizeof text, "%.1f frames per second (frame %lld)", framesPerSecond,
                  static_cast<long long>(loop.framesPresented));
    showStatus(text);
    frameRateShownAt = now;
    framesWhenRateShown = loop.framesPresented;
}

static void logBenchmarkJson()
{
    std::ifstream file(BenchmarkStatsPath, std::ios::binary);
    std::ostringstream json;
    json << file.rdbuf();
    logToConsole(json.str().c_str());
}

static bool runOver() { return quitRequested() || loopOver(loop); }

// The end of the run is the end of the process: exit hands the status to
// the page, which shows that the demo has stopped.
[[noreturn]] static void endRun()
{
    const int status = finishFrameLoop(&loop, LoopEnd::WindowOpen);
    if (loop.options.benchmark)
        logBenchmarkJson();
    std::exit(status);
}

// One animation frame: as the desktop loop between two events, with Escape
// taking effect before the next frame is drawn.
extern "C" EMSCRIPTEN_KEEPALIVE void runAnimationFrame()
{
    if (!runOver()) {
        runLoopFrame(&loop, presentFrame);
        showFrameRate();
    }
    if (runOver())
        endRun();
}

// exit() unwinds through here with an ExitStatus: the run is over, and the
// page has already been told, so no further frame is asked for.
// clang-format off
EM_JS(void, requestAnimationFrames, (), {
    function frame() {
        try {
            _runAnimationFrame();
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

static void startWindowSystem() { }

static int64_t timerFrequency() { return TimerFrequency; }

// The page's own control asks the browser for full screen; the frame rate is
// the display's whatever the command line says.
static int openWindow(Demo demo, WindowRequest)
{
    const AppConfig config = demo.configuration();
    createWebGl2Context(config);
    connectInput(CanvasSelector, demo.handleMouse, config.width, config.height);
    loadOpenGlEntryPoints();
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
    frameRateShownAt = loop.clock.previousReading;
    requestAnimationFrames();
    emscripten_exit_with_live_runtime();
}

const HostPlatform& hostPlatform()
{
    static const HostPlatform web = {startWindowSystem, readTimer, timerFrequency, openWindow,  windowReady,
                                     handleEvents,      runOver,   presentFrame,   closeWindow, handOverFrames};
    return web;
}
