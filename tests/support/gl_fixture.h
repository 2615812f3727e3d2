#pragma once

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "effect_directory.h"

struct GLFWwindow;

// The two kinds of context the demo must run on.
enum class ContextKind { Legacy, Core };

std::string contextKindName(const testing::TestParamInfo<ContextKind>& info);
void PrintTo(ContextKind kind, std::ostream* out);

// Every case gets a hidden 1024x1024 window with a current context of the
// kind its parameter names and GLEW loaded; core contexts also get the one
// vertex array object the host binds. Death tests re-run the case in a fresh
// process, since a forked child cannot use the parent's GL threads.
class GlTest : public testing::TestWithParam<ContextKind> {
protected:
    void SetUp() override;
    void TearDown() override;

    GLFWwindow* window = nullptr;
};

#define INSTANTIATE_FOR_BOTH_CONTEXTS(suite)                                                                           \
    INSTANTIATE_TEST_SUITE_P(Contexts, suite, testing::Values(ContextKind::Legacy, ContextKind::Core), contextKindName)

// A GlTest in a scratch tree whose ../assets/Shaders.glsl holds the effect given.
class GlEffectTest : public GlTest {
protected:
    explicit GlEffectTest(const char* effect)
        : effect(effect)
    {
    }
    void SetUp() override;

    EffectDirectory effects;

private:
    const char* effect;
};

// Reads size bytes of a buffer from offset, through GL_COPY_READ_BUFFER so no
// other binding changes.
std::vector<unsigned char> readBuffer(GLuint buffer, GLintptr offset, GLsizeiptr size);

template <typename T> std::vector<T> readBufferAs(GLuint buffer, GLintptr offset, size_t count)
{
    std::vector<unsigned char> bytes = readBuffer(buffer, offset, GLsizeiptr(count * sizeof(T)));
    std::vector<T> values(count);
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<unsigned char*>(values.data()));
    return values;
}

// The integer GL holds for name.
GLint integerState(GLenum name);

// Compiles and links a test program outside the effect store, with the
// demo's attribute locations, and makes it current.
GLuint compileTestProgram(const char* vertexSource, const char* fragmentSource);

// The GLSL compiler's log for source as a stage of the given type, cut to
// at most 255 characters when limit is set.
std::string compileLog(GLenum stage, const char* source, bool limit);

struct Pixel {
    unsigned char r, g, b, a;
};
// A pixel of the bound read framebuffer; row 0 is the bottom row.
Pixel readPixel(int x, int y);
