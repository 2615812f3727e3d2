#include "shell/run/frame_loop.h"

#include "shell/diagnostics.h"
#include "shell/diagnostics/debug_output.h"
#include "shell/run/benchmark_setting.h"
#include "shell/run/platform_facts.h"
#include "shell/run/screenshot.h"
#include "shell/run/user_output.h"

#include <GL/glew.h>

#include <cstring>
#include <fstream>

// Room for every frame time of a benchmark up to this many frames before the
// list has to grow: minutes at thousands of frames per second.
static constexpr size_t ReservedFrameTimes = size_t(1) << 20;

static double secondsBetween(const FrameLoop& loop, int64_t from, int64_t to)
{
    return double(to - from) / double(loop.clock.frequency);
}

static int64_t microsecondsAt(const FrameLoop& loop, int64_t reading)
{
    return int64_t(double(reading) * 1e6 / double(loop.clock.frequency));
}

static bool isLastFrame(const FrameLoop& loop) { return loop.options.frameLimit == loop.framesPresented + 1; }

void startFrameLoop(FrameLoop* loop, Demo demo, const RunOptions& options, ReadTimer readTimer, FrameClock clock,
                    int64_t startReading, int swapInterval)
{
    *loop = FrameLoop();
    loop->demo = demo;
    loop->options = options;
    loop->readTimer = readTimer;
    loop->clock = clock;
    loop->fixedClock = {1000000, 0};
    loop->startReading = startReading;
    loop->previousFrameEnd = clock.previousReading;
    if (options.benchmark) {
        loop->benchmark.setting = readBenchmarkSetting(demo, options, swapInterval);
        loop->benchmark.frameMilliseconds.reserve(ReservedFrameTimes);
        loop->benchmark.frameCpuMilliseconds.reserve(ReservedFrameTimes);
        loop->benchmark.cpuTimeMeasured = true;
        loop->previousFrameCpuSeconds = processCpuSeconds();
    }
    if (options.recordDirectory)
        loop->recording = startFrameRecording(options.recordDirectory);
    // A rebuild's reasons are what the user watching is waiting for: they go
    // where the user's own messages go (on Windows the console too), not only
    // to the debugger's channel.
    if (options.watch) {
        loop->debugOutputBeforeWatch = replaceDebugOutputSink(printProblemForUser);
        loop->watch = startEffectWatch(demo.effectFilePath(), microsecondsAt(*loop, clock.previousReading));
    }
}

static void recordBenchmarkFrame(FrameLoop* loop, int64_t frameEnd)
{
    const std::optional<double> cpuSeconds = processCpuSeconds();
    BenchmarkFigures& figures = loop->benchmark;
    if (loop->framesPresented == 1) {
        figures.firstFrameSeconds = secondsBetween(*loop, loop->startReading, frameEnd);
        // The warm-up in the timer's own units, whatever its frequency.
        loop->measureFrom = frameEnd + int64_t(loop->options.warmupSeconds * double(loop->clock.frequency));
    } else if (frameEnd > loop->measureFrom) {
        figures.frameMilliseconds.push_back(secondsBetween(*loop, loop->previousFrameEnd, frameEnd) * 1e3);
        if (cpuSeconds && loop->previousFrameCpuSeconds)
            figures.frameCpuMilliseconds.push_back((*cpuSeconds - *loop->previousFrameCpuSeconds) * 1e3);
        else
            figures.cpuTimeMeasured = false;
        figures.measuredSeconds = secondsBetween(*loop, loop->measureFrom, frameEnd);
        if (figures.measuredSeconds >= loop->options.benchmarkSeconds) {
            figures.complete = true;
            loop->over = true;
        }
    }
    loop->previousFrameCpuSeconds = cpuSeconds;
}

static void updateAndRender(Demo demo, FrameClock* clock, int64_t now)
{
    demo.update(takeElapsedMicroseconds(clock, now));
    demo.render();
}

void runLoopFrame(FrameLoop* loop, PresentFrame present)
{
    const int64_t now = loop->readTimer();
    if (loop->options.watch && effectFileChanged(&loop->watch, microsecondsAt(*loop, now)))
        loop->demo.reloadShaders();

    if (loop->options.fixedStepMicroseconds != 0) {
        loop->clock.previousReading = now;
        updateAndRender(loop->demo, &loop->fixedClock,
                        loop->fixedClock.previousReading + loop->options.fixedStepMicroseconds);
    } else {
        updateAndRender(loop->demo, &loop->clock, now);
    }
    // The last frame's picture is read from the back buffer before it is
    // shown: one read-back in the whole run, and no frame after it to wait for.
    if (loop->options.screenshotPath && isLastFrame(*loop)) {
        const AppConfig config = loop->demo.configuration();
        loop->screenshot = readWindowPixels(GL_BACK, config.width, config.height);
    }
    if (loop->options.recordDirectory) {
        const AppConfig config = loop->demo.configuration();
        recordFrame(&loop->recording, loop->framesPresented + 1, config.width, config.height);
    }
    present();
    checkCondition(glGetError() == GL_NO_ERROR, "OpenGL error.\n");
    ++loop->framesPresented;

    if (loop->options.benchmark) {
        const int64_t frameEnd = loop->readTimer();
        recordBenchmarkFrame(loop, frameEnd);
        loop->previousFrameEnd = frameEnd;
    }
    if (loop->options.frameLimit != 0 && loop->framesPresented >= loop->options.frameLimit)
        loop->over = true;
}

bool loopOver(const FrameLoop& loop) { return loop.over; }

static void writeTextFile(const char* path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    checkCondition(!file.fail(), "Cannot write %s.\n", path);
}

static bool endsWith(const char* text, const char* suffix)
{
    const size_t length = std::strlen(text), suffixLength = std::strlen(suffix);
    return length >= suffixLength && std::strcmp(text + length - suffixLength, suffix) == 0;
}

int finishFrameLoop(FrameLoop* loop, LoopEnd end)
{
    const RunOptions& options = loop->options;
    if (options.watch)
        replaceDebugOutputSink(loop->debugOutputBeforeWatch);
    int status = 0;
    if (options.screenshotPath) {
        const AppConfig config = loop->demo.configuration();
        if (loop->screenshot.empty() && end == LoopEnd::WindowGone) {
            printProblemForUser(("vanteel: the window was closed before the screenshot " +
                                 std::string(options.screenshotPath) + " was taken\n")
                                    .c_str());
            status = 1;
        } else {
            // Ended by the user rather than by a frame limit: the last frame shown.
            if (loop->screenshot.empty())
                loop->screenshot = readWindowPixels(GL_FRONT, config.width, config.height);
            checkCondition(writeScreenshot(options.screenshotPath, loop->screenshot, config.width, config.height),
                           "Cannot write the screenshot to %s.\n", options.screenshotPath);
        }
    }
    if (options.benchmark) {
        // Whatever was measured is reported, marked incomplete when the run
        // ended early, so a cut-short run is never mistaken for a whole one.
        const BenchmarkFigures& figures = loop->benchmark;
        printForUser(benchmarkText(figures).c_str());
        if (options.statsFilePath)
            writeTextFile(options.statsFilePath,
                          endsWith(options.statsFilePath, ".csv") ? benchmarkCsv(figures) : benchmarkJson(figures));
        if (!figures.complete) {
            printProblemForUser(benchmarkCutShortLine(figures).c_str());
            status = 1;
        }
    }
    return status;
}
