#include "diagnostics.h"
#include "frame_step.h"
#include "gl_context.h"
#include "glfw_input.h"
#include "glfw_window.h"
#include "particles.h"
#include "scene.h"
#include "x11_window_loss.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

// The test build also runs the demo on a core-profile context, the only kind
// some platforms offer.
#if defined(VANTEEL_CORE_PROFILE)
constexpr int UseCoreProfile = 1;
#else
constexpr int UseCoreProfile = 0;
#endif

static GLFWwindow* window;

static void presentFrame() { glfwSwapBuffers(window); }

int main()
{
    makeOutOfMemoryFatal();
    startWindowSystem();
    window = createDemoWindow(appConfig(), UseCoreProfile);
    connectInput(window, appConfig().width, appConfig().height);
    loadOpenGlEntryPoints();
    if (UseCoreProfile)
        prepareCoreProfileContext();
    if (!appConfig().verticalSync)
        glfwSwapInterval(0);
    initialise();
    glfwSetWindowTitle(window, appConfig().title);
    watchForWindowLoss(window);

    FrameClock clock = {static_cast<int64_t>(glfwGetTimerFrequency()), static_cast<int64_t>(glfwGetTimerValue())};
    while (!quitRequested() && !glfwWindowShouldClose(window) && !windowLost()) {
        glfwPollEvents();
        if (takeHandledEventCount() == 0)
            runFrame(&clock, static_cast<int64_t>(glfwGetTimerValue()), presentFrame);
    }
    return 0;
}
