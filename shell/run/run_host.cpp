#include "shell/diagnostics.h"
#include "shell/run/frame_loop.h"
#include "shell/host.h"
#include "shell/run/host_platform.h"
#include "shell/run/program_location.h"

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
    const int swapInterval = platform.openWindow(demo);
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
