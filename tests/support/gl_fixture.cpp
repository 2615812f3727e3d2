#include "gl_fixture.h"
#include "test_display.h"

#include <GLFW/glfw3.h>

std::string contextKindName(const testing::TestParamInfo<ContextKind>& info)
{
    return info.param == ContextKind::Legacy ? "Legacy" : "Core";
}

void PrintTo(ContextKind kind, std::ostream* out) { *out << (kind == ContextKind::Legacy ? "legacy" : "core"); }

static std::string lastGlfwError;

static void recordGlfwError(int, const char* description) { lastGlfwError = description; }

void GlTest::SetUp()
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_NO_FATAL_FAILURE(startGlfwOnTestDisplay());
    glfwSetErrorCallback(recordGlfwError);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    if (GetParam() == ContextKind::Core) {
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 2);
        glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
        glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    }
    window = glfwCreateWindow(1024, 1024, "gl test", nullptr, nullptr);
    ASSERT_NE(window, nullptr) << lastGlfwError;
    glfwMakeContextCurrent(window);

    glewExperimental = GL_TRUE;
    ASSERT_EQ(glewInit(), GLEW_OK);
    // GLEW asks core contexts for the legacy extension string, which fails.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) { }
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    if (GetParam() == ContextKind::Core) {
        GLuint vertexArray = 0;
        glGenVertexArrays(1, &vertexArray);
        glBindVertexArray(vertexArray);
        GLint profile = 0;
        glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
        ASSERT_TRUE(profile & GL_CONTEXT_CORE_PROFILE_BIT);
    }
}

void GlTest::TearDown()
{
    if (window)
        glfwDestroyWindow(window);
    glfwTerminate();
}

void GlEffectTest::SetUp()
{
    GlTest::SetUp();
    writeEffectFile(effects, "../assets/Shaders.glsl", effect);
}

std::vector<unsigned char> readBuffer(GLuint buffer, GLintptr offset, GLsizeiptr size)
{
    std::vector<unsigned char> bytes(static_cast<size_t>(size));
    GLint previous = 0;
    glGetIntegerv(GL_COPY_READ_BUFFER_BINDING, &previous);
    glBindBuffer(GL_COPY_READ_BUFFER, buffer);
    glGetBufferSubData(GL_COPY_READ_BUFFER, offset, size, bytes.data());
    glBindBuffer(GL_COPY_READ_BUFFER, static_cast<GLuint>(previous));
    return bytes;
}

GLint integerState(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

static GLuint compileStage(GLenum stage, const char* source)
{
    GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

GLuint compileTestProgram(const char* vertexSource, const char* fragmentSource)
{
    GLuint program = glCreateProgram();
    glAttachShader(program, compileStage(GL_VERTEX_SHADER, vertexSource));
    glAttachShader(program, compileStage(GL_FRAGMENT_SHADER, fragmentSource));
    glBindAttribLocation(program, 0, "Position");
    glBindAttribLocation(program, 1, "TexCoord");
    glBindAttribLocation(program, 2, "Normal");
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    char log[1024] = {};
    glGetProgramInfoLog(program, sizeof log, nullptr, log);
    EXPECT_TRUE(linked) << log;
    glUseProgram(program);
    return program;
}

std::string compileLog(GLenum stage, const char* source, bool limit)
{
    GLuint shader = compileStage(stage, source);
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length) + 1);
    glGetShaderInfoLog(shader, GLsizei(log.size()), nullptr, log.data());
    std::string text = log.data();
    glDeleteShader(shader);
    return limit ? text.substr(0, 255) : text;
}

Pixel readPixel(int x, int y)
{
    Pixel pixel = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &pixel);
    return pixel;
}
