#include "shell/run/gl_context.h"
#include "shell/glfw/glfw_input.h"
#include "shell/glfw/glfw_window.h"
#include "shell/run/host_platform.h"
#include "shell/glfw/x11_window_loss.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

static GLFWwindow* window;

static void startGlfw() { startWindowSystem(); }

static int64_t readTimer() { return static_cast<int64_t>(glfwGetTimerValue()); }

static int64_t timerFrequency() { return static_cast<int64_t>(glfwGetTimerFrequency()); }

static int openWindow(Demo demo, WindowRequest request)
{
    // A borderless window the monitor's size, centred, covers it exactly.
    if (request.fullscreen) {
        const ScreenArea screen = primaryScreenArea();
        demo.resize(screen.width, screen.height);
    }
    window = createDemoWindow(demo.configuration(), coreProfileAskedFor());
    connectInput(window, demo.handleMouse, demo.configuration().width, demo.configuration().height);
    loadOpenGlEntryPoints();
    if (coreProfileAskedFor())
        prepareCoreProfileContext();
    if (request.swapInterval >= 0)
        glfwSwapInterval(request.swapInterval);
    return request.swapInterval;
}

static void windowReady(Demo demo)
{
    glfwSetWindowTitle(window, demo.configuration().title);
    watchForWindowLoss(window);
}

static bool handleEvents()
{
    glfwPollEvents();
    return takeHandledEventCount() != 0;
}

static bool runEnded() { return quitRequested() || glfwWindowShouldClose(window) || windowLost(); }

static void present() { glfwSwapBuffers(window); }

// A window destroyed under the demo has no picture left to save.
static LoopEnd closeWindow() { return windowLost() ? LoopEnd::WindowGone : LoopEnd::WindowOpen; }

const HostPlatform& hostPlatform()
{
    static const HostPlatform glfw = {startGlfw,    readTimer, timerFrequency, openWindow,  windowReady,
                                      handleEvents, runEnded,  present,        closeWindow, nullptr};
    return glfw;
}
