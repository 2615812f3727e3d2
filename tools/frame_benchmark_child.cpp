#include "frame_benchmark_child.h"

#include "diagnostics.h"
#include "frame_benchmark_pass_timer.h"
#include "frame_step.h"
#include "gl_context.h"
#include "glfw_input.h"
#include "glfw_window.h"
#include "particles.h"
#include "scene.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <sys/resource.h>

#include <cstdio>
#include <ctime>
#include <vector>

static GLFWwindow* window;

// CPU time of every thread of this process: a software renderer's work,
// which unlike wall time does not grow when other processes share the cores.
static double processCpuMilliseconds()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-3;
}

int64_t monotonicNanoseconds()
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

static void presentTimedFrame()
{
    closeFramePasses();
    glfwSwapBuffers(window);
}

void printRenderer()
{
    startWindowSystem();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    window = glfwCreateWindow(64, 64, "probe", nullptr, nullptr);
    checkCondition(window != nullptr, "Benchmark: no window for the probe.\n");
    glfwMakeContextCurrent(window);
    std::printf("%s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
}

void runMeasuredFrames(int warmupFrames, int measuredFrames)
{
    startWindowSystem();
    window = createDemoWindow(appConfig(), 0);
    connectInput(window, appConfig().width, appConfig().height);
    loadOpenGlEntryPoints();
    if (!appConfig().verticalSync)
        glfwSwapInterval(0);
    installPassTimer();
    initialise();
    glfwSetWindowTitle(window, appConfig().title);
    std::printf("renderer %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

    const int totalFrames = warmupFrames + measuredFrames;
    std::vector<double> wallMilliseconds(size_t(totalFrames), 0.0);
    std::vector<double> pollMilliseconds(size_t(totalFrames), 0.0);
    std::vector<PassTimes> passTimes(size_t(totalFrames), PassTimes{});
    int framesTimed = 0;
    // A clock whose counts are microseconds, moved on by the fixed step.
    FrameClock clock = {1000000, 0};
    int frame = 0;
    double cpuAtWarmupEnd = 0;
    while (frame < totalFrames && !quitRequested()) {
        if (frame == warmupFrames)
            cpuAtWarmupEnd = processCpuMilliseconds();
        int64_t start = monotonicNanoseconds();
        glfwPollEvents();
        if (takeHandledEventCount() != 0)
            continue;
        pollMilliseconds[size_t(frame)] = double(monotonicNanoseconds() - start) * 1e-6;
        runFrame(&clock, clock.previousReading + BenchmarkStepMicroseconds, presentTimedFrame);
        if (frame == 0) {
            glFinish();
            std::printf("first-frame %lld\n", static_cast<long long>(monotonicNanoseconds()));
        }
        wallMilliseconds[size_t(frame)] = double(monotonicNanoseconds() - start) * 1e-6;
        ++frame;
        while (framesTimed < frame && takeFinishedFrame(&passTimes[size_t(framesTimed)], false))
            ++framesTimed;
    }
    while (framesTimed < frame && takeFinishedFrame(&passTimes[size_t(framesTimed)], true))
        ++framesTimed;
    const double cpuPerFrame = (processCpuMilliseconds() - cpuAtWarmupEnd) / measuredFrames;
    checkCondition(framesTimed == totalFrames, "Benchmark: stopped after %d of %d frames.\n", framesTimed, totalFrames);

    for (int i = warmupFrames; i < totalFrames; ++i) {
        const double* passes = passTimes[size_t(i)].milliseconds;
        const double* issued = passTimes[size_t(i)].issueMilliseconds;
        std::printf("frame %.4f %.4f %.4f %.4f %.4f %.4f %.4f %.4f %.4f %.4f\n", wallMilliseconds[size_t(i)],
                    pollMilliseconds[size_t(i)],
                    passes[BackgroundPass], passes[SimulationPass], passes[ParticlePass], passes[CompositePass],
                    issued[BackgroundPass], issued[SimulationPass], issued[ParticlePass], issued[CompositePass]);
    }
    std::printf("cpu %.4f\n", cpuPerFrame);
    std::printf("stalls %d\n", passTimerStalls());
}
