#include "shell/diagnostics.h"
#include "shell/run/frame_loop.h"
#include "shell/host.h"
#include "shell/run/host_platform.h"
#include "shell/run/program_location.h"

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

int runHost(Demo demo, const RunOptions& options)
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
    const WindowRequest window = {options.fullscreen, swapIntervalFor(options.verticalSync, demo.configuration())};
    const int swapInterval = platform.openWindow(demo, window);
    demo.initialise();
    platform.windowReady(demo);

    const FrameClock clock = {platform.timerFrequency(), platform.readTimer()};
    FrameLoop loop = startFrameLoop(demo, options, platform.readTimer, clock, startReading, swapInterval);
    if (platform.handOverFrames)
        platform.handOverFrames(&loop);
    runFrames(platform, &loop);
    const LoopEnd end = platform.closeWindow();
    return finishFrameLoop(&loop, end);
}

void runFrames(const HostPlatform& platform, FrameLoop* loop)
{
    while (!platform.runEnded() && !loopOver(*loop)) {
        if (!platform.handleEvents())
            runLoopFrame(loop, platform.present);
    }
}
