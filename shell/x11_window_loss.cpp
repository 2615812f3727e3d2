#include "x11_window_loss.h"

#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3.h>
#include <GLFW/glfw3native.h>

static Window watchedWindow;
static XErrorHandler previousErrorHandler;
static int lost;

static int onXError(Display* display, XErrorEvent* error)
{
    if (error->resourceid == watchedWindow) {
        lost = 1;
        return 0;
    }
    return previousErrorHandler(display, error);
}

void watchForWindowLoss(GLFWwindow* window)
{
    watchedWindow = glfwGetX11Window(window);
    previousErrorHandler = XSetErrorHandler(onXError);
}

int windowLost() { return lost; }
