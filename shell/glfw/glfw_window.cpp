#include "shell/glfw/glfw_window.h"

#include "shell/diagnostics.h"
#include "shell/run/window_placement.h"

#include <GLFW/glfw3.h>

#include <string>

// GLFW reports why a call failed only through its error callback.
static std::string lastGlfwError = "unknown error";

static void rememberGlfwError(int, const char* description) { lastGlfwError = description; }

void startWindowSystem()
{
    glfwSetErrorCallback(rememberGlfwError);
    if (!glfwInit())
        fatalError("GLFW Error: %s\n", lastGlfwError.c_str());
}

static void askForContext(WindowRequest request)
{
    if (!request.coreProfile)
        return;
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 2);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
}

// A colour-only, double-buffered drawable: depth lives in the demo's own
// surfaces.
static void askForFramebuffer(AppConfig config)
{
    glfwWindowHint(GLFW_ALPHA_BITS, 0);
    glfwWindowHint(GLFW_DEPTH_BITS, 0);
    glfwWindowHint(GLFW_STENCIL_BITS, 0);
    glfwWindowHint(GLFW_DOUBLEBUFFER, GLFW_TRUE);
    glfwWindowHint(GLFW_SAMPLES, config.multisampling ? 16 : 0);
}

ScreenArea primaryScreenArea()
{
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    checkCondition(monitor != nullptr, "No monitor to centre the window on.\n");
    const GLFWvidmode* screen = glfwGetVideoMode(monitor);
    checkCondition(screen != nullptr, "No video mode to centre the window on.\n");
    ScreenArea area = {0, 0, screen->width, screen->height};
    glfwGetMonitorPos(monitor, &area.left, &area.top);
    return area;
}

GLFWwindow* createDemoWindow(AppConfig config, WindowRequest request)
{
    glfwWindowHint(GLFW_DECORATED, GLFW_FALSE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    // Shown only once centred, so it never flashes at a default position.
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    // The surfaces are exactly width by height pixels: no scaling on hi-DPI.
    glfwWindowHint(GLFW_SCALE_TO_MONITOR, GLFW_FALSE);
    glfwWindowHint(GLFW_COCOA_RETINA_FRAMEBUFFER, GLFW_FALSE);
    askForFramebuffer(config);
    askForContext(request);

    GLFWwindow* window = glfwCreateWindow(config.width, config.height, "Kov App", nullptr, nullptr);
    if (!window)
        fatalError("GLFW Error: %s\n", lastGlfwError.c_str());

    const ScreenArea screen = primaryScreenArea();
    glfwSetWindowPos(window, screen.left + centredWindowOrigin(screen.width, config.width),
                     screen.top + centredWindowOrigin(screen.height, config.height));
    glfwShowWindow(window);
    glfwMakeContextCurrent(window);
    return window;
}
