#include "shell/glfw/x11_window_loss.h"

#include "shell/diagnostics.h"

#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3.h>
#include <GLFW/glfw3native.h>
#include <GL/glx.h>

static Window watchedWindow;
static int glxErrorBase = -1;
static XErrorHandler previousErrorHandler;
static int lost;

// Only these say that the window no longer exists; any other error on it is
// a real failure of the window or its context.
static bool meansWindowGone(const XErrorEvent* error)
{
    return error->error_code == BadWindow || error->error_code == BadDrawable ||
        (glxErrorBase >= 0 && error->error_code == glxErrorBase + GlxBadDrawableError);
}

static int onXError(Display* display, XErrorEvent* error)
{
    if (error->resourceid != watchedWindow)
        return previousErrorHandler(display, error);
    if (meansWindowGone(error)) {
        lost = 1;
        return 0;
    }
    char description[256] = {};
    XGetErrorText(display, error->error_code, description, sizeof description);
    fatalError("X error on the window: %s (request %d.%d)\n", description, error->request_code, error->minor_code);
}

void watchForWindowLoss(GLFWwindow* window)
{
    watchedWindow = glfwGetX11Window(window);
    // Asked now: an error handler must not send requests of its own.
    int eventBase = 0;
    if (!glXQueryExtension(glfwGetX11Display(), &glxErrorBase, &eventBase))
        glxErrorBase = -1;
    previousErrorHandler = XSetErrorHandler(onXError);
}

int windowLost() { return lost; }
