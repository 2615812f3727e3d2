// The host's window, context preparation and run sequence on a real
// display. The host is handed a demo of recorders, so it is tested alone.

#include "debug_capture.h"
#include "test_display.h"
#include "thread_allocation_counting.h"
#include "shell/run/gl_context.h"
#include "shell/glfw/glfw_window.h"
#include "shell/host.h"
#include "shell/run/host_platform.h"
#include "shell/run/run_sequence.h"
#include "demo/scene.h"
#include "shell/glfw/x11_window_loss.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
// After the test framework: Xlib's macros (None, Bool) clash with its names.
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>
#include <GL/glx.h>

#include <string>
#include <vector>

static std::vector<std::string> calls;
static bool renderRaisesGlError;
static bool presentRaisesGlError;
// Inside the window system's own calls, whose allocations are not the run's.
static bool insideWindowSystem;

// An invalid enumerant: raises GL_INVALID_ENUM wherever it is called.
static void raiseGlError() { glEnable(0xFFFF); }

static void recordUpdate(uint32_t elapsedMicroseconds)
{
    calls.push_back("update " + std::to_string(elapsedMicroseconds));
}
static void recordRender()
{
    calls.push_back("render");
    if (renderRaisesGlError)
        raiseGlError();
}

static void ignoreMouse(int, int, MouseEvent) { }
static void initialiseNothing() { }

static const Demo recorder = {appConfig, nullptr, initialiseNothing, recordUpdate, recordRender, ignoreMouse,
                              nullptr,   nullptr, nullptr,           nullptr,      nullptr,      nullptr};

// The host's present and event handling, seen through the linker
// (CMakeLists.txt wraps them): the present is recorded in the frame's order.
extern "C" void __real_glfwSwapBuffers(GLFWwindow* window);
extern "C" void __real_glfwPollEvents();

extern "C" void __wrap_glfwSwapBuffers(GLFWwindow* window)
{
    insideWindowSystem = true;
    __real_glfwSwapBuffers(window);
    insideWindowSystem = false;
    calls.push_back("present");
    if (presentRaisesGlError)
        raiseGlError();
}

extern "C" void __wrap_glfwPollEvents()
{
    insideWindowSystem = true;
    __real_glfwPollEvents();
    insideWindowSystem = false;
}

static bool allocationIsTheWindowSystems() { return insideWindowSystem; }

// Every case starts GLFW on the display first, retrying a refused connection;
// the host's own start-up then finds it started. Death tests run the case
// again in a fresh process, which connects for itself.
class OnTheDisplay : public testing::Test {
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        ASSERT_NO_FATAL_FAILURE(startGlfwOnTestDisplay());
    }
};
using HostStartUp = OnTheDisplay;
using DemoWindow = OnTheDisplay;
using OpenGlEntryPoints = OnTheDisplay;
using RunSequence = OnTheDisplay;
using WindowLoss = OnTheDisplay;

static void allocateTheImpossible()
{
    // More than any address space holds, so it cannot succeed.
    volatile size_t impossible = SIZE_MAX / 2;
    ::operator delete(::operator new(impossible));
}

// Guards the host's start-up making a failed allocation fatal with a
// message, whatever the demo it runs: here its initialisation fails one.
TEST_F(HostStartUp, AFailedAllocationInTheDemoEndsWithStatus1AndAMessage)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reports a failed allocation itself, before any handler runs";
#endif
    Demo failing = recorder;
    failing.initialise = allocateTheImpossible;
    EXPECT_EXIT(runHost(failing, RunOptions()), testing::ExitedWithCode(1), "Out of memory\\.");
}

// The window through the host's own request, as the run sequence opens it.
static GLFWwindow* openWindow(bool coreProfile)
{
    hostPlatform().startWindowSystem();
    hostPlatform().openWindow(recorder, {false, -1, coreProfile});
    return glfwGetCurrentContext();
}

// Guards size, placement and style: a drawable of exactly the configured
// size, centred on the primary monitor with halves that truncate, no border.
TEST_F(DemoWindow, IsABorderlessFixedSizeWindowCentredOnThePrimaryMonitor)
{
    GLFWwindow* window = openWindow(false);
    int width = 0, height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 1024);

    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* screen = glfwGetVideoMode(monitor);
    int monitorX = 0, monitorY = 0, x = 0, y = 0;
    glfwGetMonitorPos(monitor, &monitorX, &monitorY);
    glfwGetWindowPos(window, &x, &y);
    EXPECT_EQ(x, monitorX + screen->width / 2 - 512);
    EXPECT_EQ(y, monitorY + screen->height / 2 - 512);

    EXPECT_EQ(glfwGetWindowAttrib(window, GLFW_DECORATED), GLFW_FALSE);
    EXPECT_EQ(glfwGetWindowAttrib(window, GLFW_RESIZABLE), GLFW_FALSE);
    EXPECT_EQ(glfwGetWindowAttrib(window, GLFW_VISIBLE), GLFW_TRUE);
    EXPECT_EQ(glfwGetCurrentContext(), window);
}

// Guards the default: the legacy context the demo was written for, not a
// core one that would need a vertex array object.
TEST_F(DemoWindow, MakesALegacyContextUnlessACoreProfileIsAskedFor)
{
    GLFWwindow* window = openWindow(false);
    EXPECT_NE(glfwGetWindowAttrib(window, GLFW_OPENGL_PROFILE), GLFW_OPENGL_CORE_PROFILE);
}

TEST_F(DemoWindow, CoreProfileIsAForwardCompatible32Context)
{
    GLFWwindow* window = openWindow(true);
    EXPECT_EQ(glfwGetWindowAttrib(window, GLFW_OPENGL_PROFILE), GLFW_OPENGL_CORE_PROFILE);
    EXPECT_EQ(glfwGetWindowAttrib(window, GLFW_OPENGL_FORWARD_COMPAT), GLFW_TRUE);
    int major = glfwGetWindowAttrib(window, GLFW_CONTEXT_VERSION_MAJOR);
    int minor = glfwGetWindowAttrib(window, GLFW_CONTEXT_VERSION_MINOR);
    EXPECT_TRUE(major > 3 || (major == 3 && minor >= 2)) << major << "." << minor;
}

// Guards the one line printed at start-up: the driver's version, whole,
// in one write, with the entry points beyond OpenGL 1.1 loaded.
TEST_F(OpenGlEntryPoints, AreLoadedAndTheDriverVersionIsPrintedOnce)
{
    startWindowSystem();
    createDemoWindow(appConfig(), WindowRequest {});
    DebugCapture capture;
    loadOpenGlEntryPoints();
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(capture.writes(), (std::vector<std::string> {"OpenGL Version: " + std::string(version) + "\n"}));
    EXPECT_NE(glGenBuffers, nullptr);
    EXPECT_NE(glBeginTransformFeedback, nullptr);
    EXPECT_NE(glBlendFuncSeparate, nullptr);
}

static GLenum drawThreePoints()
{
    GLuint buffer = 0;
    const float points[] = {0, 0, 0, 0.5f, 0, 0, 0, 0.5f, 0};
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof points, points, GL_STATIC_DRAW);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(0);
    glDrawArrays(GL_POINTS, 0, 3);
    return glGetError();
}

// Guards the core-profile preparation: nothing left pending from GLEW, and
// drawing from attribute arrays works, which a core context refuses without
// a bound vertex array object.
TEST_F(OpenGlEntryPoints, ACoreContextIsReadyToDrawOncePrepared)
{
    openWindow(true);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(drawThreePoints(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(OpenGlEntryPoints, ACoreContextRefusesToDrawUnprepared)
{
    startWindowSystem();
    createDemoWindow(appConfig(), {false, -1, true});
    loadOpenGlEntryPoints();
    while (glGetError() != GL_NO_ERROR) { }
    EXPECT_EQ(drawThreePoints(), static_cast<GLenum>(GL_INVALID_OPERATION));
}

// A run of the sequence's own steps, as a desktop host loops them.
static int runToTheEnd(Demo demo, const RunOptions& options)
{
    startRun(demo, options);
    while (runStep()) { }
    return finishRun();
}

static RunOptions framesOnAFixedStep(int64_t frames)
{
    RunOptions options;
    options.fixedStepMicroseconds = 16667;
    options.frameLimit = frames;
    return options;
}

// Guards the frame's order and its clock: the step goes to update, then
// render, then the host's present; the run ends at its frame limit.
TEST_F(RunSequence, UpdatesThenRendersThenPresentsUntilTheFrameLimit)
{
    EXPECT_EQ(runToTheEnd(recorder, framesOnAFixedStep(2)), 0);
    EXPECT_EQ(calls,
              (std::vector<std::string> {"update 16667", "render", "present", "update 16667", "render", "present"}));
    EXPECT_EQ(runningLoop()->framesPresented, 2);
}

// Guards the error check's place: after presenting, so an error raised while
// presenting is caught too, and fatal with the frame's own message.
TEST_F(RunSequence, AnOpenGlErrorPendingAfterPresentingIsFatal)
{
    EXPECT_EXIT(
        {
            presentRaisesGlError = true;
            runToTheEnd(recorder, framesOnAFixedStep(1));
        },
        testing::ExitedWithCode(1), "OpenGL error\\.\n\n$");
}

TEST_F(RunSequence, AnOpenGlErrorLeftByRenderIsFatalOnTheCoreProfileToo)
{
    RunOptions options = framesOnAFixedStep(1);
    options.coreProfile = true;
    EXPECT_EXIT(
        {
            renderRaisesGlError = true;
            runToTheEnd(recorder, options);
        },
        testing::ExitedWithCode(1), "OpenGL error\\.\n\n$");
}

static void stayStill(uint32_t) { }
static void drawNothing() { }
static const char* noEffectFile() { return ""; }
static int64_t noParticles() { return 0; }

static const std::vector<double>& frameMilliseconds() { return runningLoop()->benchmark.frameMilliseconds; }

// Guards the benchmark's promise that measuring allocates nothing: its
// frame lists are reserved as the loop starts, and the sequence owns that
// loop from then on (a copy would keep the frames but not the room).
TEST_F(RunSequence, ABenchmarkAllocatesNothingInItsMeasuredFrames)
{
    constexpr size_t CountedFrames = 200;
    Demo quiet = recorder;
    quiet.update = stayStill;
    quiet.render = drawNothing;
    quiet.effectFilePath = noEffectFile;
    quiet.particleCount = noParticles;
    RunOptions options;
    options.benchmark = true;
    options.warmupSeconds = 0;
    options.benchmarkSeconds = 1e9;
    startRun(quiet, options);
    ASSERT_TRUE(runStep());
    ASSERT_TRUE(runStep());
    calls.clear();
    calls.shrink_to_fit();
    calls.reserve(100 * CountedFrames);
    const size_t measuredBefore = frameMilliseconds().size();
    AllocationCounter counter;
    startCountingThreadAllocations(counter, allocationIsTheWindowSystems);
    // A step that handles an event draws no frame: the count is of frames.
    for (size_t step = 0; step < 100 * CountedFrames && frameMilliseconds().size() < measuredBefore + CountedFrames;
         ++step)
        runStep();
    stopCountingThreadAllocations();
    EXPECT_EQ(counter.requests, 0);
    EXPECT_EQ(frameMilliseconds().size(), measuredBefore + CountedFrames);
}

// Stands for the handler in place before the watch: ends the process with 6.
static int passedOn(Display*, XErrorEvent*) { std::exit(6); }

enum class About { DemoWindow, RootWindow };

// Feeds the error handler the watch installed an error about the demo's
// window, or about another window, as Xlib would, then ends the process: 3
// when the window now counts as lost, 4 when the loop would carry on, 6 when
// the error went to the handler in place before the watch. A GLX error's
// code is counted from the extension's first one, known only once connected.
static void reportXError(int errorCode, bool glxError = false, About about = About::DemoWindow)
{
    GLFWwindow* window = openWindow(false);
    XSetErrorHandler(passedOn);
    watchForWindowLoss(window);
    XErrorHandler installed = XSetErrorHandler(nullptr);
    XSetErrorHandler(installed);
    XErrorEvent error = {};
    error.display = glfwGetX11Display();
    if (glxError) {
        int errorBase = 0, eventBase = 0;
        if (!glXQueryExtension(error.display, &errorBase, &eventBase))
            std::exit(5);
        errorCode += errorBase;
    }
    error.resourceid = about == About::DemoWindow ? glfwGetX11Window(window) : DefaultRootWindow(error.display);
    error.error_code = static_cast<unsigned char>(errorCode);
    error.request_code = 151;
    error.minor_code = 11;
    installed(error.display, &error);
    std::exit(windowLost() ? 3 : 4);
}

// Guards the line between a window that is gone, a plain end of the program,
// and a window or context that failed, which must not be reported as success;
// errors about other resources are not the window's, and go to the handler
// that was there before.
TEST_F(WindowLoss, OnlyErrorsThatMeanTheWindowIsGoneEndTheLoopQuietly)
{
    EXPECT_EXIT(reportXError(BadWindow, false, About::RootWindow), testing::ExitedWithCode(6), "");
    EXPECT_EXIT(reportXError(BadMatch, false, About::RootWindow), testing::ExitedWithCode(6), "");
    EXPECT_EXIT(reportXError(BadWindow), testing::ExitedWithCode(3), "");
    EXPECT_EXIT(reportXError(BadDrawable), testing::ExitedWithCode(3), "");
    EXPECT_EXIT(reportXError(GlxBadDrawableError, true), testing::ExitedWithCode(3), "");
    EXPECT_EXIT(reportXError(BadMatch), testing::ExitedWithCode(1),
                "X error on the window: BadMatch [^\n]*\\(request 151\\.11\\)\n\n$");
    EXPECT_EXIT(reportXError(BadAlloc), testing::ExitedWithCode(1), "X error on the window: BadAlloc");
}
