#include "shell/diagnostics.h"
#include "shell/run/frame_loop.h"
#include "shell/host.h"
#include "shell/run/host_platform.h"

int runHost(Demo demo, const RunOptions& options)
{
    const HostPlatform& platform = hostPlatform();
    makeOutOfMemoryFatal();
    platform.startWindowSystem();
    const int64_t startReading = platform.readTimer();
    if (options.assetsDirectory)
        demo.useResourceDirectory(options.assetsDirectory);
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
