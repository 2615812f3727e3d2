#include "shell/run/run_sequence.h"

#include "shell/diagnostics.h"
#include "shell/run/host_platform.h"
#include "shell/run/program_location.h"

// Started once and never copied: its benchmark lists are reserved up front
// so that measuring allocates nothing, and a copy would not keep that room.
static FrameLoop loop;

// A demo that asks for vertical sync gets the driver's default, which is
// vertical sync or what the user chose in the driver's settings.
static int swapIntervalFor(VerticalSync choice, const AppConfig& config)
{
    if (choice == VerticalSync::On)
        return 1;
    if (choice == VerticalSync::Off)
        return 0;
    return config.verticalSync ? -1 : 0;
}

void startRun(Demo demo, const RunOptions& options)
{
    const HostPlatform& platform = hostPlatform();
    makeOutOfMemoryFatal();
    platform.startWindowSystem();
    const int64_t startReading = platform.readTimer();
    if (options.assetsDirectory)
        demo.useResourceDirectory(options.assetsDirectory);
    if (demo.addFallbackDirectory) {
        for (const std::string& directory : effectDirectoriesBesideProgram())
            demo.addFallbackDirectory(directory.c_str());
    }
    if (options.width != 0)
        demo.resize(options.width, options.height);
    if (options.particleCount != 0)
        demo.useParticleCount(options.particleCount);
    const WindowRequest window = {options.fullscreen, swapIntervalFor(options.verticalSync, demo.configuration()),
                                  options.coreProfile};
    const int swapInterval = platform.openWindow(demo, window);
    demo.initialise();
    platform.windowReady(demo);

    const FrameClock clock = {platform.timerFrequency(), platform.readTimer()};
    startFrameLoop(&loop, demo, options, platform.readTimer, clock, startReading, swapInterval);
}

static bool runOver() { return hostPlatform().runEnded() || loopOver(loop); }

bool runStep()
{
    const HostPlatform& platform = hostPlatform();
    if (!runOver() && !platform.handleEvents())
        runLoopFrame(&loop, platform.present);
    return !runOver();
}

int finishRun() { return finishFrameLoop(&loop, hostPlatform().windowAtEnd()); }

FrameLoop* runningLoop() { return &loop; }

int runHost(Demo demo, const RunOptions& options)
{
    startRun(demo, options);
    if (hostPlatform().handOverFrames)
        hostPlatform().handOverFrames();
    while (runStep()) { }
    return finishRun();
}
