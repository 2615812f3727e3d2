#include "frame_budget_gl_calls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace {

struct LoggedCall {
    const char* function;
    const char* uniform;
    GLenum capability;
};

std::array<LoggedCall, 1024> callLog;
size_t loggedCount;
size_t droppedCount;
bool logging;
thread_local int driverDepth;

void record(const char* function, const char* uniform, GLenum capability)
{
    if (!logging || driverDepth > 0)
        return;
    if (loggedCount < callLog.size())
        callLog[loggedCount++] = {function, uniform, capability};
    else
        ++droppedCount;
}

struct Scope {
    Scope(const char* function, const char* uniform = nullptr, GLenum capability = 0)
    {
        record(function, uniform, capability);
        ++driverDepth;
    }
    ~Scope() { --driverDepth; }
};

// One wrapper per GLEW entry point, its signature taken from the pointer's
// type; the real pointer is kept per entry point.
template <typename Pointer> struct GlewWrapper;

template <typename Result, typename... Arguments> struct GlewWrapper<Result(GLAPIENTRY*)(Arguments...)> {
    using Pointer = Result(GLAPIENTRY*)(Arguments...);
    template <Pointer* Slot, const char* Name> struct For {
        static inline Pointer real;
        static Result GLAPIENTRY call(Arguments... arguments)
        {
            Scope scope(Name);
            return real(arguments...);
        }
        // glewInit, run again for every new context, puts the real pointer back.
        static void install()
        {
            if (*Slot != call)
                real = *Slot;
            *Slot = call;
        }
    };
};

std::vector<std::string> countedSymbols;

#define COUNT_GLEW_ENTRY_POINT(name)                                                                                   \
    static constexpr char name##Name[] = "gl" #name;                                                                   \
    GlewWrapper<decltype(__glew##name)>::For<&__glew##name, name##Name>::install();                                    \
    countedSymbols.push_back("__glew" #name);

PFNGLGETUNIFORMLOCATIONPROC realGetUniformLocation;

GLint GLAPIENTRY loggedGetUniformLocation(GLuint program, const GLchar* name)
{
    Scope scope("glGetUniformLocation", name);
    return realGetUniformLocation(program, name);
}

} // namespace

void installGlCallLog()
{
    // Every GLEW entry point the demo's libraries use; the test comparing
    // this list with their imports keeps it complete.
    COUNT_GLEW_ENTRY_POINT(ActiveTexture)
    COUNT_GLEW_ENTRY_POINT(AttachShader)
    COUNT_GLEW_ENTRY_POINT(BeginTransformFeedback)
    COUNT_GLEW_ENTRY_POINT(BindAttribLocation)
    COUNT_GLEW_ENTRY_POINT(BindBuffer)
    COUNT_GLEW_ENTRY_POINT(BindBufferBase)
    COUNT_GLEW_ENTRY_POINT(BindFramebuffer)
    COUNT_GLEW_ENTRY_POINT(BindVertexArray)
    COUNT_GLEW_ENTRY_POINT(BlendFuncSeparate)
    COUNT_GLEW_ENTRY_POINT(BufferData)
    COUNT_GLEW_ENTRY_POINT(CheckFramebufferStatus)
    COUNT_GLEW_ENTRY_POINT(CompileShader)
    COUNT_GLEW_ENTRY_POINT(CreateProgram)
    COUNT_GLEW_ENTRY_POINT(CreateShader)
    COUNT_GLEW_ENTRY_POINT(DeleteFramebuffers)
    COUNT_GLEW_ENTRY_POINT(DeleteProgram)
    COUNT_GLEW_ENTRY_POINT(DeleteShader)
    COUNT_GLEW_ENTRY_POINT(DisableVertexAttribArray)
    COUNT_GLEW_ENTRY_POINT(EnableVertexAttribArray)
    COUNT_GLEW_ENTRY_POINT(EndTransformFeedback)
    COUNT_GLEW_ENTRY_POINT(FramebufferTexture2D)
    COUNT_GLEW_ENTRY_POINT(GenBuffers)
    COUNT_GLEW_ENTRY_POINT(GenFramebuffers)
    COUNT_GLEW_ENTRY_POINT(GenVertexArrays)
    COUNT_GLEW_ENTRY_POINT(GetAttachedShaders)
    COUNT_GLEW_ENTRY_POINT(GetProgramInfoLog)
    COUNT_GLEW_ENTRY_POINT(GetProgramiv)
    COUNT_GLEW_ENTRY_POINT(GetShaderInfoLog)
    COUNT_GLEW_ENTRY_POINT(GetShaderiv)
    COUNT_GLEW_ENTRY_POINT(LinkProgram)
    COUNT_GLEW_ENTRY_POINT(ShaderSource)
    COUNT_GLEW_ENTRY_POINT(TransformFeedbackVaryings)
    COUNT_GLEW_ENTRY_POINT(Uniform1f)
    COUNT_GLEW_ENTRY_POINT(Uniform1i)
    COUNT_GLEW_ENTRY_POINT(Uniform3f)
    COUNT_GLEW_ENTRY_POINT(UniformMatrix3fv)
    COUNT_GLEW_ENTRY_POINT(UniformMatrix4fv)
    COUNT_GLEW_ENTRY_POINT(UseProgram)
    COUNT_GLEW_ENTRY_POINT(VertexAttribPointer)
    if (__glewGetUniformLocation != loggedGetUniformLocation)
        realGetUniformLocation = __glewGetUniformLocation;
    __glewGetUniformLocation = loggedGetUniformLocation;
    countedSymbols.push_back("__glewGetUniformLocation");
}

// The GL 1.1 entry points, redirected here by the linker.
#define COUNT_GL11_ENTRY_POINT(name, parameters, arguments, ...)                                                       \
    extern "C" __VA_ARGS__ GLAPIENTRY __real_##name parameters;                                                        \
    extern "C" __VA_ARGS__ GLAPIENTRY __wrap_##name parameters                                                         \
    {                                                                                                                  \
        Scope scope(#name);                                                                                            \
        return __real_##name arguments;                                                                                \
    }                                                                                                                  \
    static const bool name##Counted = (countedSymbols.push_back(#name), true);

COUNT_GL11_ENTRY_POINT(glBindTexture, (GLenum target, GLuint texture), (target, texture), void)
COUNT_GL11_ENTRY_POINT(glClear, (GLbitfield mask), (mask), void)
COUNT_GL11_ENTRY_POINT(glClearColor, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), (r, g, b, a), void)
COUNT_GL11_ENTRY_POINT(glDeleteTextures, (GLsizei n, const GLuint* textures), (n, textures), void)
COUNT_GL11_ENTRY_POINT(glDrawArrays, (GLenum mode, GLint first, GLsizei count), (mode, first, count), void)
COUNT_GL11_ENTRY_POINT(glDrawElements, (GLenum mode, GLsizei count, GLenum type, const void* indices),
                       (mode, count, type, indices), void)
COUNT_GL11_ENTRY_POINT(glGenTextures, (GLsizei n, GLuint* textures), (n, textures), void)
COUNT_GL11_ENTRY_POINT(glGetError, (), (), GLenum)
COUNT_GL11_ENTRY_POINT(glGetIntegerv, (GLenum name, GLint* values), (name, values), void)

static bool glGetStringAnswersNull;

void answerGlGetStringWithNull(bool null) { glGetStringAnswersNull = null; }

// Counted like the others, and able to answer null as a broken driver may.
extern "C" const GLubyte* GLAPIENTRY __real_glGetString(GLenum name);
extern "C" const GLubyte* GLAPIENTRY __wrap_glGetString(GLenum name)
{
    Scope scope("glGetString");
    const GLubyte* answer = __real_glGetString(name);
    return glGetStringAnswersNull ? nullptr : answer;
}
static const bool glGetStringCounted = (countedSymbols.push_back("glGetString"), true);

COUNT_GL11_ENTRY_POINT(glPixelStorei, (GLenum name, GLint value), (name, value), void)
COUNT_GL11_ENTRY_POINT(glReadBuffer, (GLenum buffer), (buffer), void)
COUNT_GL11_ENTRY_POINT(glReadPixels,
                       (GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels),
                       (x, y, width, height, format, type, pixels), void)
COUNT_GL11_ENTRY_POINT(glTexImage2D,
                       (GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                        GLenum format, GLenum type, const void* pixels),
                       (target, level, internalFormat, width, height, border, format, type, pixels), void)
COUNT_GL11_ENTRY_POINT(glTexParameteri, (GLenum target, GLenum name, GLint value), (target, name, value), void)
COUNT_GL11_ENTRY_POINT(glViewport, (GLint x, GLint y, GLsizei width, GLsizei height), (x, y, width, height), void)

extern "C" void GLAPIENTRY __real_glEnable(GLenum capability);
extern "C" void GLAPIENTRY __wrap_glEnable(GLenum capability)
{
    Scope scope("glEnable", nullptr, capability);
    __real_glEnable(capability);
}

extern "C" void GLAPIENTRY __real_glDisable(GLenum capability);
extern "C" void GLAPIENTRY __wrap_glDisable(GLenum capability)
{
    Scope scope("glDisable", nullptr, capability);
    __real_glDisable(capability);
}

static const bool capabilitiesCounted =
    (countedSymbols.push_back("glEnable"), countedSymbols.push_back("glDisable"), true);

void startGlCallLog()
{
    loggedCount = 0;
    droppedCount = 0;
    logging = true;
}

void stopGlCallLog() { logging = false; }

static std::string capabilityName(GLenum capability)
{
    switch (capability) {
    case GL_BLEND:
        return "GL_BLEND";
    case GL_DEPTH_TEST:
        return "GL_DEPTH_TEST";
    case GL_RASTERIZER_DISCARD:
        return "GL_RASTERIZER_DISCARD";
    default: {
        char text[16];
        std::snprintf(text, sizeof text, "0x%04X", capability);
        return text;
    }
    }
}

std::vector<std::string> loggedGlCalls()
{
    std::vector<std::string> calls;
    for (size_t i = 0; i < loggedCount; ++i) {
        std::string text = callLog[i].function;
        if (callLog[i].uniform)
            text += std::string(" ") + callLog[i].uniform;
        if (callLog[i].capability)
            text += " " + capabilityName(callLog[i].capability);
        calls.push_back(text);
    }
    if (droppedCount)
        calls.push_back("... and " + std::to_string(droppedCount) + " more");
    return calls;
}

DriverCall::DriverCall(const char* name)
{
    record(name, nullptr, 0);
    ++driverDepth;
}

DriverCall::~DriverCall() { --driverDepth; }

bool insideDriver() { return driverDepth > 0; }

bool isCountedEntryPoint(const std::string& symbol)
{
    return std::find(countedSymbols.begin(), countedSymbols.end(), symbol) != countedSymbols.end();
}
