#include "programs.h"

#include "diagnostics.h"
#include "shaderstore.h"

#include <GL/glew.h>

#include <string>

static const char ResourceDirectory[] = "../assets/";
static const char EffectKeyPrefix[] = "Shaders.";
// Info logs are cut to this many bytes, terminator included.
static constexpr int InfoLogCapacity = 256;

static bool storeIsSetUp = false;

static void setUpShaderStore()
{
    std::string directory = ResourceDirectory;
    if (directory.empty() || directory.back() != '/')
        directory += '/';
    shaderstore::create();
    shaderstore::addPath(directory.c_str(), ".glsl");
    shaderstore::addDirective("*", "#version 150");
}

static void attachStage(GLuint program, GLenum stage, const std::string& key, const char* missingMessage)
{
    const char* source = shaderstore::getShader(key.c_str());
    checkCondition(source != nullptr, missingMessage, key.c_str());

    GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    char log[InfoLogCapacity] = {};
    glGetShaderInfoLog(shader, InfoLogCapacity, nullptr, log);
    checkCondition(status, "%s", log);
    glAttachShader(program, shader);
}

unsigned int buildProgram(const char* vertexKey, const char* geometryKey, const char* fragmentKey)
{
    if (!storeIsSetUp) {
        setUpShaderStore();
        storeIsSetUp = true;
    }

    GLuint program = glCreateProgram();
    attachStage(program, GL_VERTEX_SHADER, std::string(EffectKeyPrefix) + vertexKey,
                "Can't find vertex shader: %s\n");
    if (fragmentKey)
        attachStage(program, GL_FRAGMENT_SHADER, std::string(EffectKeyPrefix) + fragmentKey,
                    "Can't find fragment shader: %s\n");
    if (geometryKey)
        attachStage(program, GL_GEOMETRY_SHADER, std::string(EffectKeyPrefix) + geometryKey,
                    "Can't find geometry shader: %s\n");

    glBindAttribLocation(program, PositionAttribute, "Position");
    glBindAttribLocation(program, TexCoordAttribute, "TexCoord");
    glBindAttribLocation(program, NormalAttribute, "Normal");
    glBindAttribLocation(program, BirthTimeAttribute, "BirthTime");
    glBindAttribLocation(program, VelocityAttribute, "Velocity");

    // A program without a fragment stage exists to write particles back.
    if (!fragmentKey) {
        const char* outputs[] = {"vPosition", "vBirthTime", "vVelocity"};
        glTransformFeedbackVaryings(program, 3, outputs, GL_INTERLEAVED_ATTRIBS);
        checkCondition(glGetError() == GL_NO_ERROR, "OpenGL error.");
    }

    glLinkProgram(program);
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    char log[InfoLogCapacity] = {};
    glGetProgramInfoLog(program, InfoLogCapacity, nullptr, log);
    checkCondition(status, "%s", log);

    glUseProgram(program);
    return program;
}

static GLint currentLocation(const char* name)
{
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return glGetUniformLocation(static_cast<GLuint>(program), name);
}

void setInt(const char* name, int value) { glUniform1i(currentLocation(name), value); }

void setFloat(const char* name, float value) { glUniform1f(currentLocation(name), value); }

void setVector3(const char* name, float x, float y, float z) { glUniform3f(currentLocation(name), x, y, z); }

void setMatrix3(const char* name, const Matrix3& value)
{
    glUniformMatrix3fv(currentLocation(name), 1, GL_FALSE, flatten(value).values);
}

void setMatrix4(const char* name, const Matrix4& value)
{
    glUniformMatrix4fv(currentLocation(name), 1, GL_FALSE, flatten(value).values);
}
