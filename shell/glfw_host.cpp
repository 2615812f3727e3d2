#include "diagnostics.h"
#include "frame_loop.h"
#include "gl_context.h"
#include "glfw_input.h"
#include "glfw_window.h"
#include "host.h"
#include "x11_window_loss.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

static GLFWwindow* window;

static void presentFrame() { glfwSwapBuffers(window); }

static int64_t readTimer() { return static_cast<int64_t>(glfwGetTimerValue()); }

int runHost(Demo demo, const RunOptions& options)
{
    makeOutOfMemoryFatal();
    startWindowSystem();
    const int64_t startReading = readTimer();
    if (options.assetsDirectory)
        demo.useResourceDirectory(options.assetsDirectory);
    window = createDemoWindow(demo.configuration(), coreProfileAskedFor());
    connectInput(window, demo.handleMouse, demo.configuration().width, demo.configuration().height);
    loadOpenGlEntryPoints();
    if (coreProfileAskedFor())
        prepareCoreProfileContext();
    const int swapInterval = demo.configuration().verticalSync ? -1 : 0;
    if (swapInterval == 0)
        glfwSwapInterval(0);
    demo.initialise();
    glfwSetWindowTitle(window, demo.configuration().title);
    watchForWindowLoss(window);

    FrameClock clock = {static_cast<int64_t>(glfwGetTimerFrequency()), readTimer()};
    FrameLoop loop = startFrameLoop(demo, options, readTimer, clock, startReading, swapInterval);
    while (!quitRequested() && !glfwWindowShouldClose(window) && !windowLost() && !loopOver(loop)) {
        glfwPollEvents();
        if (takeHandledEventCount() == 0)
            runLoopFrame(&loop, presentFrame);
    }
    // A window destroyed under the demo has no picture left to save.
    return finishFrameLoop(&loop, windowLost() ? LoopEnd::WindowGone : LoopEnd::WindowOpen);
}
