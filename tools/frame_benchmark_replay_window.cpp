#include "frame_benchmark_replay_window.h"

#include "diagnostics.h"
#include "frame_benchmark_replay.h"
#include "gl_context.h"
#include "glfw_window.h"
#include "scene.h"

#include <GLFW/glfw3.h>

#include <cstdio>

static GLFWwindow* window;

static void swapWindow() { glfwSwapBuffers(window); }

void runReplayInWindow(const char* outputPath)
{
    startWindowSystem();
    window = createDemoWindow(appConfig(), 0);
    loadOpenGlEntryPoints();
    glfwSwapInterval(0);
    RgbImage image = replayScriptedRun(swapWindow);
    checkCondition(writePng(outputPath, image), "Replay: cannot write %s\n", outputPath);
    std::printf("replay: frame %d written to %s\n", ReplayFrameCount, outputPath);
}
