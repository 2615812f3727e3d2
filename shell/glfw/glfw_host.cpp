#include "shell/run/gl_context.h"
#include "shell/glfw/glfw_input.h"
#include "shell/glfw/glfw_window.h"
#include "shell/run/host_platform.h"
#include "shell/glfw/x11_window_loss.h"

#include <GL/glew.h>
#define GLFW_EXPOSE_NATIVE_X11
#define GLFW_EXPOSE_NATIVE_GLX
#include <GLFW/glfw3.h>
#include <GLFW/glfw3native.h>
#include <GL/glx.h>
#include <GL/glxext.h>

#include <cstring>

static GLFWwindow* window;

static void startGlfw() { startWindowSystem(); }

static int64_t readTimer() { return static_cast<int64_t>(glfwGetTimerValue()); }

static int64_t timerFrequency() { return static_cast<int64_t>(glfwGetTimerFrequency()); }

// The interval the driver reports for the window, which is not always the one
// asked for: a user's driver settings can override it. -1 where the driver
// cannot say.
static int swapIntervalInForce()
{
    Display* display = glfwGetX11Display();
    const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    if (extensions == nullptr || std::strstr(extensions, "GLX_EXT_swap_control") == nullptr)
        return -1;
    unsigned int interval = 0;
    glXQueryDrawable(display, glfwGetGLXWindow(window), GLX_SWAP_INTERVAL_EXT, &interval);
    return int(interval);
}

static int openWindow(Demo demo, WindowRequest request)
{
    // A borderless window the monitor's size, centred, covers it exactly.
    if (request.fullscreen) {
        const ScreenArea screen = primaryScreenArea();
        demo.resize(screen.width, screen.height);
    }
    window = createDemoWindow(demo.configuration(), request);
    connectInput(window, demo.handleMouse, demo.configuration().width, demo.configuration().height);
    loadOpenGlEntryPoints();
    if (request.coreProfile)
        prepareCoreProfileContext();
    if (request.swapInterval >= 0)
        glfwSwapInterval(request.swapInterval);
    return swapIntervalInForce();
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
static LoopEnd windowAtEnd() { return windowLost() ? LoopEnd::WindowGone : LoopEnd::WindowOpen; }

const HostPlatform& hostPlatform()
{
    static const HostPlatform glfw = {startGlfw,    readTimer, timerFrequency, openWindow,  windowReady,
                                      handleEvents, runEnded,  present,        windowAtEnd, nullptr};
    return glfw;
}
