#include "pass_timer.h"

#include "shell/diagnostics.h"

#include <GL/glew.h>

#include <ctime>

// render() binds the background surface, makes the feedback program current,
// binds the particle surface, then binds the window's framebuffer for the
// composite; those four calls open the four passes.
enum class FrameState { Idle, Background, Simulation, Particles, Composite };

// A frame's queries are read back this many frames after it was drawn.
static constexpr int ReadBackLag = 3;
static constexpr int QuerySlots = ReadBackLag + 1;

static PFNGLBINDFRAMEBUFFERPROC realBindFramebuffer;
static PFNGLUSEPROGRAMPROC realUseProgram;
static GLuint queries[QuerySlots][TimedPassCount];
static FrameState state = FrameState::Idle;
static long long framesOpened;
static long long framesTaken;
static int stalls;
// When the open pass began on the frame's thread, and how long each pass of
// each frame in flight took to issue.
static int64_t passStartNanoseconds;
static double issueMilliseconds[QuerySlots][TimedPassCount];

static int64_t nowNanoseconds()
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

static GLuint queryOf(TimedPass pass) { return queries[framesOpened % QuerySlots][pass]; }

static void beginPass(TimedPass pass)
{
    glBeginQuery(GL_TIME_ELAPSED, queryOf(pass));
    passStartNanoseconds = nowNanoseconds();
}

static void endPass(TimedPass pass)
{
    issueMilliseconds[framesOpened % QuerySlots][pass] = double(nowNanoseconds() - passStartNanoseconds) * 1e-6;
    glEndQuery(GL_TIME_ELAPSED);
}

static void switchPass(TimedPass previous, TimedPass next)
{
    endPass(previous);
    beginPass(next);
}

static void GLAPIENTRY timedBindFramebuffer(GLenum target, GLuint framebuffer)
{
    if (state == FrameState::Idle && framebuffer != 0) {
        checkCondition(framesOpened - framesTaken < QuerySlots, "Pass timer: frames were not collected.\n");
        beginPass(BackgroundPass);
        state = FrameState::Background;
    } else if (state == FrameState::Simulation && framebuffer != 0) {
        switchPass(SimulationPass, ParticlePass);
        state = FrameState::Particles;
    } else if (state == FrameState::Particles && framebuffer == 0) {
        switchPass(ParticlePass, CompositePass);
        state = FrameState::Composite;
    }
    realBindFramebuffer(target, framebuffer);
}

static void GLAPIENTRY timedUseProgram(GLuint program)
{
    if (state == FrameState::Background) {
        switchPass(BackgroundPass, SimulationPass);
        state = FrameState::Simulation;
    }
    realUseProgram(program);
}

void installPassTimer()
{
    checkCondition(GLEW_VERSION_3_3 || GLEW_ARB_timer_query, "Pass timer: no GL_TIME_ELAPSED queries.\n");
    glGenQueries(QuerySlots * TimedPassCount, &queries[0][0]);
    realBindFramebuffer = __glewBindFramebuffer;
    realUseProgram = __glewUseProgram;
    __glewBindFramebuffer = timedBindFramebuffer;
    __glewUseProgram = timedUseProgram;
}

void closeFramePasses()
{
    checkCondition(state == FrameState::Composite, "Pass timer: the frame did not reach its composite pass.\n");
    endPass(CompositePass);
    state = FrameState::Idle;
    ++framesOpened;
}

bool takeFinishedFrame(PassTimes* times, bool drain)
{
    if (framesTaken == framesOpened)
        return false;
    GLuint* frame = queries[framesTaken % QuerySlots];
    GLint ready = GL_FALSE;
    glGetQueryObjectiv(frame[CompositePass], GL_QUERY_RESULT_AVAILABLE, &ready);
    bool due = framesOpened - framesTaken >= ReadBackLag;
    if (!ready && !due && !drain)
        return false;
    if (!ready && !drain)
        ++stalls;
    for (int pass = 0; pass < TimedPassCount; ++pass) {
        GLuint64 nanoseconds = 0;
        glGetQueryObjectui64v(frame[pass], GL_QUERY_RESULT, &nanoseconds);
        times->milliseconds[pass] = static_cast<double>(nanoseconds) * 1e-6;
        times->issueMilliseconds[pass] = issueMilliseconds[framesTaken % QuerySlots][pass];
    }
    ++framesTaken;
    return true;
}

int passTimerStalls() { return stalls; }
