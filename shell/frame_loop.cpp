#include "frame_loop.h"

#include "benchmark_report.h"
#include "diagnostics.h"
#include "screenshot.h"
#include "user_output.h"

#include <GL/glew.h>

#include <fstream>

// Room for every frame time of a benchmark up to this many frames before the
// list has to grow: minutes at thousands of frames per second.
static constexpr size_t ReservedFrameTimes = size_t(1) << 20;

// The loop whose frame is being presented, for the present hook below.
static FrameLoop* presentingLoop;
static PresentFrame hostPresent;

static double secondsBetween(const FrameLoop& loop, int64_t from, int64_t to)
{
    return double(to - from) / double(loop.clock.frequency);
}

static int64_t microsecondsAt(const FrameLoop& loop, int64_t reading)
{
    return int64_t(double(reading) * 1e6 / double(loop.clock.frequency));
}

static bool isLastFrame(const FrameLoop& loop) { return loop.options.frameLimit == loop.framesPresented + 1; }

// The last frame's picture is read from the back buffer before it is shown:
// one read-back in the whole run, and no frame after it to wait for.
static void presentAfterCapture()
{
    const AppConfig config = presentingLoop->demo.configuration();
    if (presentingLoop->options.screenshotPath && isLastFrame(*presentingLoop))
        presentingLoop->screenshot = readWindowPixels(GL_BACK, config.width, config.height);
    hostPresent();
}

FrameLoop startFrameLoop(Demo demo, const RunOptions& options, ReadTimer readTimer, FrameClock clock,
                         int64_t startReading)
{
    FrameLoop loop = {};
    loop.demo = demo;
    loop.options = options;
    loop.readTimer = readTimer;
    loop.clock = clock;
    loop.fixedClock = {1000000, 0};
    loop.startReading = startReading;
    loop.previousFrameEnd = clock.previousReading;
    if (options.benchmark)
        loop.frameMilliseconds.reserve(ReservedFrameTimes);
    if (options.watch)
        loop.watch = startEffectWatch(demo.effectFilePath(), microsecondsAt(loop, clock.previousReading));
    return loop;
}

static void recordBenchmarkFrame(FrameLoop* loop, int64_t frameEnd)
{
    if (loop->framesPresented == 1) {
        loop->firstFrameSeconds = secondsBetween(*loop, loop->startReading, frameEnd);
        loop->measureFrom = frameEnd + int64_t(loop->options.warmupSeconds * double(loop->clock.frequency));
    } else if (frameEnd > loop->measureFrom) {
        loop->frameMilliseconds.push_back(secondsBetween(*loop, loop->previousFrameEnd, frameEnd) * 1e3);
        if (secondsBetween(*loop, loop->measureFrom, frameEnd) >= loop->options.benchmarkSeconds)
            loop->over = true;
    }
}

void runLoopFrame(FrameLoop* loop, PresentFrame present)
{
    const int64_t now = loop->readTimer();
    if (loop->options.watch && effectFileChanged(&loop->watch, microsecondsAt(*loop, now)))
        loop->demo.reloadShaders();

    presentingLoop = loop;
    hostPresent = present;
    PresentFrame presentFrame = loop->options.screenshotPath ? presentAfterCapture : present;
    if (loop->options.fixedStepMicroseconds != 0) {
        loop->clock.previousReading = now;
        runFrame(loop->demo, &loop->fixedClock, loop->fixedClock.previousReading + loop->options.fixedStepMicroseconds,
                 presentFrame);
    } else {
        runFrame(loop->demo, &loop->clock, now, presentFrame);
    }
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

int finishFrameLoop(FrameLoop* loop)
{
    const RunOptions& options = loop->options;
    if (options.screenshotPath) {
        const AppConfig config = loop->demo.configuration();
        // Ended by the user rather than by a frame limit: the last frame shown.
        if (loop->screenshot.empty())
            loop->screenshot = readWindowPixels(GL_FRONT, config.width, config.height);
        checkCondition(writeScreenshot(options.screenshotPath, loop->screenshot, config.width, config.height),
                       "Cannot write the screenshot to %s.\n", options.screenshotPath);
    }
    if (options.benchmark) {
        BenchmarkFigures figures = {reinterpret_cast<const char*>(glGetString(GL_RENDERER)), options.warmupSeconds,
                                    loop->frameMilliseconds, loop->firstFrameSeconds};
        printForUser(benchmarkText(figures).c_str());
        if (options.statsFilePath)
            writeTextFile(options.statsFilePath, benchmarkJson(figures));
    }
    return 0;
}
