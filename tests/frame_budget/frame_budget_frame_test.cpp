#include "frame_budget_gl_calls.h"
#include "shell/run/frame_loop.h"
#include "gl_fixture.h"
#include "shell/run/mouse_input.h"
#include "thread_allocation_counting.h"
#include "shell/run/vanteel_demo.h"

#include <GLFW/glfw3.h>
#include <gmock/gmock.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

// Light shaders with the demo's interface: the frames below are about what
// the CPU does, and 700,000 particles through the real effect would make
// hundreds of frames too slow for a software renderer. The geometry stage
// emits nothing, so no pass rasterises particles.
static const char* const budgetEffect = R"(
--tf.VS
in vec3 Position;
in float BirthTime;
in vec3 Velocity;
out vec3 vPosition;
out float vBirthTime;
out vec3 vVelocity;
uniform float TimeStep;
void main()
{
    vPosition = Position + Velocity * TimeStep;
    vBirthTime = BirthTime;
    vVelocity = Velocity;
}
--Particle.VS
in vec3 Position;
void main() { gl_Position = vec4(Position, 1.0); }
--Particle.GS
layout(points) in;
layout(points, max_vertices = 1) out;
void main() {}
--Particle.FS
out vec4 fragment;
void main() { fragment = vec4(1.0); }
--Composite.VS
in vec3 Position;
in vec2 TexCoord;
out vec2 texCoord;
void main()
{
    texCoord = TexCoord;
    gl_Position = vec4(Position, 1.0);
}
--Composite.FS
in vec2 texCoord;
out vec4 fragment;
uniform sampler2D BackgroundSampler;
uniform sampler2D ParticlesSampler;
void main() { fragment = texture(BackgroundSampler, texCoord) + texture(ParticlesSampler, texCoord); }
--
)";

static constexpr int64_t FrameStepMicroseconds = 16667;
// The frames before these may still warm caches up; none is counted.
static constexpr int FirstFrames = 3;
// Enough for the effect-file watch to look several times.
static constexpr int LoopFrames = 100;

static GLFWwindow* presentedWindow;

// The main loop's timer in these tests: microseconds, a frame's step further
// on at every reading.
static int64_t timerMicroseconds;

static int64_t readTestTimer() { return timerMicroseconds += FrameStepMicroseconds; }

static void present()
{
    DriverCall call("present");
    glfwSwapBuffers(presentedWindow);
}

class FrameBudgetTest : public GlEffectTest {
protected:
    FrameBudgetTest()
        : GlEffectTest(budgetEffect)
    {
    }

    void SetUp() override
    {
        GlEffectTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        installGlCallLog();
        presentedWindow = window;
        input = startMouseInput(1024, 1024);
        demo.initialise();
        RunOptions fixedStep;
        fixedStep.fixedStepMicroseconds = uint32_t(FrameStepMicroseconds);
        startFrameLoop(&frames, demo, fixedStep, readTestTimer, {1000000, readTestTimer()}, readTestTimer(), 0);
        for (int frame = 0; frame < FirstFrames; ++frame)
            runOneFrame();
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }

    // A frame of the hosts' shared frame loop, on the fixed step.
    void runOneFrame() { runLoopFrame(&frames, present); }

    // The hosts' shared frame loop under the options of a command line, past
    // its first frames.
    void startLoop(FrameLoop* loop, const RunOptions& options)
    {
        const int64_t startReading = readTestTimer();
        startFrameLoop(loop, demo, options, readTestTimer, {1000000, readTestTimer()}, startReading, 0);
        for (int frame = 0; frame < FirstFrames; ++frame)
            runLoopFrame(loop, present);
    }

    long allocationsOfLoopFrames(FrameLoop* loop)
    {
        AllocationCounter counter;
        startCountingThreadAllocations(counter, insideDriver);
        for (int frame = 0; frame < LoopFrames; ++frame) {
            moveMouse(frame);
            runLoopFrame(loop, present);
        }
        stopCountingThreadAllocations();
        EXPECT_FALSE(loopOver(*loop));
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        return counter.requests;
    }

    // A drag across the window, as the host delivers it between frames.
    void moveMouse(int frame)
    {
        MouseDelivery delivery = {};
        if (frame % 40 == 0)
            delivery = pressLeftButton(&input, 100 + frame % 800, 200, frame * 17);
        else if (frame % 40 == 25)
            delivery = releaseLeftButton(&input, 100 + frame % 800, 300);
        else
            delivery = movePointer(&input, 100 + frame % 800, 200 + frame % 100);
        if (delivery.deliver)
            demo.handleMouse(delivery.x, delivery.y, delivery.kind);
    }

    Demo demo = vanteelDemo();
    FrameLoop frames;
    MouseInput input = {};
};
INSTANTIATE_FOR_BOTH_CONTEXTS(FrameBudgetTest);

static void addUniform(std::vector<std::string>* calls, const char* name, const char* setter)
{
    calls->insert(calls->end(), {"glGetIntegerv", std::string("glGetUniformLocation ") + name, setter});
}

static void addParticleAttributes(std::vector<std::string>* calls)
{
    calls->push_back("glBindBuffer");
    calls->insert(calls->end(), 3, "glEnableVertexAttribArray");
    calls->insert(calls->end(), 3, "glVertexAttribPointer");
}

// The calls one frame makes: update, the background clear, the feedback
// uniforms, the simulation, particle and composite passes, the present and
// the error check after it, in the frame algorithm's order.
static std::vector<std::string> callsOfOneFrame()
{
    std::vector<std::string> calls;
    calls.push_back("glUseProgram");
    addUniform(&calls, "TimeStep", "glUniform1f");

    calls.insert(calls.end(), {"glBindFramebuffer", "glClearColor", "glClear"});

    calls.push_back("glUseProgram");
    addUniform(&calls, "Time", "glUniform1f");
    addUniform(&calls, "mLoc", "glUniform3f");
    addUniform(&calls, "explosion", "glUniform1f");
    addUniform(&calls, "mUp", "glUniform1f");

    calls.push_back("glEnable GL_RASTERIZER_DISCARD");
    addParticleAttributes(&calls);
    calls.insert(
        calls.end(),
        {"glBindBufferBase", "glBeginTransformFeedback", "glDrawArrays", "glEndTransformFeedback", "glBindBuffer"});
    calls.insert(calls.end(), 3, "glDisableVertexAttribArray");
    calls.push_back("glDisable GL_RASTERIZER_DISCARD");

    calls.insert(calls.end(),
                 {"glBindFramebuffer", "glClearColor", "glClear", "glActiveTexture", "glBindTexture",
                  "glDisable GL_DEPTH_TEST", "glEnable GL_BLEND", "glUseProgram"});
    addUniform(&calls, "Time", "glUniform1f");
    addUniform(&calls, "ModelviewProjection", "glUniformMatrix4fv");
    addUniform(&calls, "Modelview", "glUniformMatrix3fv");
    addUniform(&calls, "mLoc", "glUniform3f");
    addUniform(&calls, "mUp", "glUniform1f");
    addParticleAttributes(&calls);
    calls.push_back("glDrawArrays");
    calls.insert(calls.end(), 3, "glDisableVertexAttribArray");
    calls.insert(calls.end(), {"glDisable GL_BLEND", "glBindTexture", "glDisable GL_DEPTH_TEST", "glBindFramebuffer"});

    calls.insert(calls.end(), {"glActiveTexture", "glBindTexture", "glActiveTexture", "glBindTexture", "glUseProgram"});
    addUniform(&calls, "BackgroundSampler", "glUniform1i");
    addUniform(&calls, "ParticlesSampler", "glUniform1i");
    calls.insert(calls.end(),
                 {"glGetError", "glBindBuffer", "glVertexAttribPointer", "glEnableVertexAttribArray", "glBindBuffer",
                  "glVertexAttribPointer", "glEnableVertexAttribArray", "glBindBuffer", "glDrawElements",
                  "glGetError"});
    calls.insert(calls.end(), 3, "glDisableVertexAttribArray");
    calls.insert(calls.end(), {"glBindTexture", "glActiveTexture", "glBindTexture", "glEnable GL_DEPTH_TEST"});

    calls.insert(calls.end(), {"present", "glGetError"});
    return calls;
}

// Guards extra GL work slipping into the frame (a state query, a redundant
// bind, a per-frame upload) and listed calls going missing, with the mouse
// both idle and in use.
TEST_P(FrameBudgetTest, EveryFrameIssuesExactlyTheCallsOfTheFrameAlgorithm)
{
    const std::vector<std::string> expected = callsOfOneFrame();
    for (int frame = 0; frame < 6; ++frame) {
        if (frame >= 2)
            moveMouse(frame * 20);
        startGlCallLog();
        runOneFrame();
        stopGlCallLog();
        EXPECT_THAT(loggedGlCalls(), testing::ElementsAreArray(expected)) << "frame " << frame;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Guards per-frame heap work in the update, the render, the frame step and
// the mouse path: text formatted, keys built or vectors grown every frame.
TEST_P(FrameBudgetTest, NoHeapAllocationAcrossHundredsOfFramesAfterTheFirst)
{
    AllocationCounter counter;
    startCountingThreadAllocations(counter, insideDriver);
    for (int frame = 0; frame < 200; ++frame) {
        moveMouse(frame);
        runOneFrame();
    }
    stopCountingThreadAllocations();
    EXPECT_EQ(counter.requests, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The same through the main loop, in every mode the command line offers:
// the timer, the fixed step, the benchmark's frame times, the effect-file
// watch, and the frame limit with the screenshot still to come.
TEST_P(FrameBudgetTest, NoHeapAllocationInTheMainLoopOfAPlainRun)
{
    FrameLoop loop;
    startLoop(&loop, RunOptions());
    EXPECT_EQ(allocationsOfLoopFrames(&loop), 0);
}

TEST_P(FrameBudgetTest, NoHeapAllocationInTheMainLoopOnAFixedStep)
{
    RunOptions options;
    options.fixedStepMicroseconds = uint32_t(FrameStepMicroseconds);
    FrameLoop loop;
    startLoop(&loop, options);
    EXPECT_EQ(allocationsOfLoopFrames(&loop), 0);
}

TEST_P(FrameBudgetTest, NoHeapAllocationInTheMainLoopWhileTheBenchmarkRecordsFrames)
{
    RunOptions options;
    options.benchmark = true;
    options.warmupSeconds = 0;
    FrameLoop loop;
    startLoop(&loop, options);
    const size_t recordedBefore = loop.benchmark.frameMilliseconds.size();
    EXPECT_EQ(allocationsOfLoopFrames(&loop), 0);
    EXPECT_EQ(loop.benchmark.frameMilliseconds.size(), recordedBefore + LoopFrames);
    EXPECT_EQ(loop.benchmark.frameCpuMilliseconds.size(), recordedBefore + LoopFrames);
    EXPECT_TRUE(loop.benchmark.cpuTimeMeasured);
}

TEST_P(FrameBudgetTest, NoHeapAllocationInTheMainLoopWhileWatchingTheEffectFile)
{
    RunOptions options;
    options.watch = true;
    FrameLoop loop;
    startLoop(&loop, options);
    const int64_t firstLookDue = loop.watch.nextLookMicroseconds;
    EXPECT_EQ(allocationsOfLoopFrames(&loop), 0);
    EXPECT_TRUE(loop.watch.exists);
    EXPECT_GT(loop.watch.nextLookMicroseconds, firstLookDue + 2 * EffectWatchIntervalMicroseconds)
        << "the watch did not look at the effect file during the counted frames";
}

TEST_P(FrameBudgetTest, NoHeapAllocationInTheMainLoopBeforeTheLastFrameOfAScreenshotRun)
{
    RunOptions options;
    options.frameLimit = FirstFrames + LoopFrames + 1;
    options.screenshotPath = "never-written.png";
    FrameLoop loop;
    startLoop(&loop, options);
    EXPECT_EQ(allocationsOfLoopFrames(&loop), 0);
    EXPECT_TRUE(loop.screenshot.empty());
}

// Keeps the two tests above honest: the counter must see an allocation made
// on the frame thread, and ignore the driver's and other threads'.
TEST_P(FrameBudgetTest, AllocationCounterSeesTheFrameThreadButNotTheDriver)
{
    void* (*volatile allocate)(size_t) = std::malloc;
    std::atomic<int> step {0};
    std::thread other([&] {
        while (step.load() == 0) { }
        std::free(allocate(24));
        step = 2;
    });

    AllocationCounter counter;
    startCountingThreadAllocations(counter, insideDriver);
    std::free(allocate(24));
    std::string text(64, 'x');
    asm volatile("" : : "r"(text.data()) : "memory");
    {
        DriverCall call("driver");
        std::free(allocate(24));
    }
    step = 1;
    while (step.load() != 2) { }
    stopCountingThreadAllocations();
    other.join();
    EXPECT_EQ(counter.requests, 2);
}

// The call list above is only complete if every GL entry point the demo's
// libraries import passes through the counting layer.
TEST_P(FrameBudgetTest, EveryGlEntryPointTheDemoImportsIsCounted)
{
    std::ifstream list(VANTEEL_DEMO_GL_IMPORTS);
    ASSERT_TRUE(list) << "missing " << VANTEEL_DEMO_GL_IMPORTS;
    std::string symbol;
    int imports = 0;
    while (list >> symbol) {
        ++imports;
        EXPECT_TRUE(isCountedEntryPoint(symbol)) << symbol << " is imported by the demo but not counted";
    }
    EXPECT_GT(imports, 20);
}

// A timer moved on 15 ms at every reading, at 10 MHz (as Windows'
// performance counter often runs) unless a test picks another frequency: a
// benchmark frame reads it twice, so frames end every 30 ms.
static constexpr int64_t TenMegahertz = 10000000;
static int64_t timerHertz = TenMegahertz;
static int64_t timerTicks;
static int64_t readFifteenMillisecondTimer() { return timerTicks += timerHertz * 15 / 1000; }

static int presents;

static void countPresent()
{
    ++presents;
    present();
}

static void runLoopToItsEnd(FrameLoop* loop, Demo demo, const RunOptions& options)
{
    const int64_t startReading = readFifteenMillisecondTimer();
    startFrameLoop(loop, demo, options, readFifteenMillisecondTimer, {timerHertz, readFifteenMillisecondTimer()},
                   startReading, 0);
    presents = 0;
    while (!loopOver(*loop) && presents < 1000)
        runLoopFrame(loop, countPresent);
}

// Guards the frame count and the warm-up's units: --frames N presents N
// frames, and the benchmark's warm-up and seconds are read in the timer's own
// ticks at whatever frequency it runs (a warm-up read in microseconds or
// nanoseconds, or as frames, moves the first measured frame). The first frame
// ends at E; a warm-up of 0.1 s makes the 4th frame after it the first
// measured, and the 20th brings the measured time to exactly 0.5 s. A frame
// that ends exactly as the warm-up does (0.12 s: the 4th) lies wholly inside
// it and is not measured.
TEST_P(FrameBudgetTest, TheLoopCountsFramesAndTheWarmUpInTheTimersOwnUnits)
{
    RunOptions limited;
    limited.frameLimit = 7;
    FrameLoop loop;
    runLoopToItsEnd(&loop, demo, limited);
    EXPECT_EQ(loop.framesPresented, 7);
    EXPECT_EQ(presents, 7);

    struct Row {
        int64_t hertz;
        double warmupSeconds;
        int presents;
        double measuredSeconds;
    };
    const Row rows[] = {
        {1000, 0.1, 21, 0.5},       {1000000, 0.1, 21, 0.5},        {TenMegahertz, 0.1, 21, 0.5},
        {1000000000, 0.1, 21, 0.5}, {TenMegahertz, 0.12, 22, 0.51},
    };
    for (const Row& row : rows) {
        timerHertz = row.hertz;
        RunOptions benchmark;
        benchmark.benchmark = true;
        benchmark.warmupSeconds = row.warmupSeconds;
        benchmark.benchmarkSeconds = 0.5;
        runLoopToItsEnd(&loop, demo, benchmark);
        timerHertz = TenMegahertz;
        EXPECT_EQ(presents, row.presents) << row.hertz << " Hz, " << row.warmupSeconds << " s";
        const BenchmarkFigures& figures = loop.benchmark;
        EXPECT_TRUE(figures.complete);
        EXPECT_DOUBLE_EQ(figures.measuredSeconds, row.measuredSeconds) << row.hertz << " Hz";
        ASSERT_EQ(figures.frameMilliseconds.size(), 17u) << row.hertz << " Hz, " << row.warmupSeconds << " s";
        for (double milliseconds : figures.frameMilliseconds)
            EXPECT_DOUBLE_EQ(milliseconds, 30.0) << row.hertz << " Hz";
        EXPECT_EQ(figures.setting.particles, 700000);
        EXPECT_EQ(figures.setting.width, 1024);
        EXPECT_EQ(figures.setting.effectFileHash.size(), 16u);
        EXPECT_EQ(finishFrameLoop(&loop, LoopEnd::WindowOpen), 0);
    }
}

// Guards the order of two ends that come together: the frame limit reached
// or the benchmark's seconds measured in the same frame as the window went
// is a run that delivered, and its screenshot is the last frame's; only a
// window lost before the screenshot was taken fails the run. Escape before
// the limit saves the frame on screen.
TEST_P(FrameBudgetTest, AWindowLostAsTheRunEndsFailsItOnlyWhereSomethingWasMissed)
{
    const std::string picture = ::testing::TempDir() + "vanteel_last_frame.png";
    struct Row {
        int64_t frameLimit;
        bool benchmark;
        int frames; // run before the window goes or Escape comes, unless the run ends first
        LoopEnd end;
        int status;
        bool screenshotWritten;
    };
    const Row rows[] = {
        {3, false, 3, LoopEnd::WindowGone, 0, true},
        {3, false, 2, LoopEnd::WindowGone, 1, false},
        {3, false, 2, LoopEnd::WindowOpen, 0, true},
        {0, true, 1000, LoopEnd::WindowGone, 0, false},
    };
    for (const Row& row : rows) {
        std::remove(picture.c_str());
        RunOptions options;
        options.frameLimit = row.frameLimit;
        options.benchmark = row.benchmark;
        options.warmupSeconds = 0.1;
        options.benchmarkSeconds = 0.2;
        if (!row.benchmark)
            options.screenshotPath = picture.c_str();
        FrameLoop loop;
        startFrameLoop(&loop, demo, options, readFifteenMillisecondTimer, {timerHertz, readFifteenMillisecondTimer()},
                       readFifteenMillisecondTimer(), 0);
        for (int frame = 0; frame < row.frames && !loopOver(loop); ++frame)
            runLoopFrame(&loop, present);
        ::testing::internal::CaptureStderr();
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(finishFrameLoop(&loop, row.end), row.status) << row.frames << " frames";
        const std::string said = ::testing::internal::GetCapturedStderr();
        ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(said.empty(), row.status == 0) << said;
        EXPECT_EQ(std::ifstream(picture).good(), row.screenshotWritten) << row.frames << " frames";
    }
    std::remove(picture.c_str());
}

// Guards the honest ends: a benchmark stopped in its warm-up or before its
// seconds, and a screenshot the window was lost before, end with status 1
// and say so; the stats file still holds what was measured, marked as such.
TEST_P(FrameBudgetTest, ARunThatFellShortOfItsOptionsEndsWithStatus1)
{
    const std::string stats = ::testing::TempDir() + "vanteel_cut_short.json";
    RunOptions options;
    options.benchmark = true;
    options.warmupSeconds = 0.1;
    options.statsFilePath = stats.c_str();
    answerGlGetStringWithNull(true);
    FrameLoop loop;
    startFrameLoop(&loop, demo, options, readFifteenMillisecondTimer, {TenMegahertz, readFifteenMillisecondTimer()},
                   readFifteenMillisecondTimer(), 0);
    answerGlGetStringWithNull(false);
    EXPECT_EQ(loop.benchmark.setting.glRenderer, "unknown");

    struct Row {
        int frames;
        LoopEnd end;
        const char* screenshot;
        size_t measured;
    };
    const Row rows[] = {
        {3, LoopEnd::WindowOpen, nullptr, 0}, // Escape in the warm-up: nothing measured
        {6, LoopEnd::WindowOpen, nullptr, 2}, // Escape after two measured frames
        {6, LoopEnd::WindowGone, "never.png", 2},
    };
    for (const Row& row : rows) {
        options.screenshotPath = row.screenshot;
        startFrameLoop(&loop, demo, options, readFifteenMillisecondTimer, {TenMegahertz, readFifteenMillisecondTimer()},
                       readFifteenMillisecondTimer(), 0);
        for (int frame = 0; frame < row.frames; ++frame)
            runLoopFrame(&loop, present);
        ::testing::internal::CaptureStderr();
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(finishFrameLoop(&loop, row.end), 1) << row.frames;
        const std::string said = ::testing::internal::GetCapturedStderr();
        const std::string report = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(report.find("no frame was measured") != std::string::npos, row.measured == 0) << report;
        EXPECT_NE(said.find("the benchmark was cut short after"), std::string::npos) << said;
        EXPECT_EQ(said.find("the window was closed before the screenshot never.png") != std::string::npos,
                  row.screenshot != nullptr)
            << said;
        std::ifstream file(stats);
        std::stringstream json;
        json << file.rdbuf();
        EXPECT_NE(json.str().find("\"complete\": false"), std::string::npos) << json.str();
        EXPECT_EQ(loop.benchmark.frameMilliseconds.size(), row.measured);
    }
}

// Guards the recording's file names: a name that fills the buffer to its last
// byte fits, one a byte longer is refused rather than cut short (a frame
// written under a truncated name is a frame lost), and the number grows past
// six digits.
TEST(FrameRecording, AFrameIsNamedInFullOrNotAtAll)
{
    struct Row {
        size_t size;
        int64_t frame;
        const char* path; // null: refused
    };
    const Row rows[] = {
        {sizeof "rec/frame-000001.png", 1, "rec/frame-000001.png"},
        {sizeof "rec/frame-000001.png" - 1, 1, nullptr},
        {64, 1234567, "rec/frame-1234567.png"},
    };
    for (const Row& row : rows) {
        char path[64] = {};
        EXPECT_EQ(recordedFramePath(path, row.size, "rec", row.frame), row.path != nullptr) << row.size;
        if (row.path) {
            EXPECT_STREQ(path, row.path);
        }
    }
}
