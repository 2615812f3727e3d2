#include "frame_benchmark_pass_timer.h"

#include "diagnostics.h"

#include <GL/glew.h>

const char* const TimedPassNames[TimedPassCount] = {"background", "simulation", "particles", "composite"};

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

static GLuint queryOf(TimedPass pass) { return queries[framesOpened % QuerySlots][pass]; }

static void beginPass(TimedPass pass) { glBeginQuery(GL_TIME_ELAPSED, queryOf(pass)); }

static void switchPass(TimedPass next)
{
    glEndQuery(GL_TIME_ELAPSED);
    beginPass(next);
}

static void GLAPIENTRY timedBindFramebuffer(GLenum target, GLuint framebuffer)
{
    if (state == FrameState::Idle && framebuffer != 0) {
        checkCondition(framesOpened - framesTaken < QuerySlots, "Pass timer: frames were not collected.\n");
        beginPass(BackgroundPass);
        state = FrameState::Background;
    } else if (state == FrameState::Simulation && framebuffer != 0) {
        switchPass(ParticlePass);
        state = FrameState::Particles;
    } else if (state == FrameState::Particles && framebuffer == 0) {
        switchPass(CompositePass);
        state = FrameState::Composite;
    }
    realBindFramebuffer(target, framebuffer);
}

static void GLAPIENTRY timedUseProgram(GLuint program)
{
    if (state == FrameState::Background) {
        switchPass(SimulationPass);
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
    glEndQuery(GL_TIME_ELAPSED);
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
    }
    ++framesTaken;
    return true;
}

int passTimerStalls() { return stalls; }
