#include "demo/programs.h"

#include "demo/effect_search.h"
#include "demo/info_log.h"
#include "shell/diagnostics.h"
#include "shaderstore/shaderstore.h"

#include <GL/glew.h>

#include <string>
#include <vector>

static const char EffectName[] = "Shaders";
// The start-up build cuts info logs to this many bytes, terminator included.
static constexpr int InfoLogCapacity = 256;

// The shading language of the platform's GL. Every section starts with its
// version directive; GLSL ES 3.00 (WebGL2) also wants default precisions,
// which fragment stages lack, and links no program without a fragment
// stage, so there a program that only writes particles back gets the
// effect's empty one, which rasterizer discard never runs.
#if defined(__EMSCRIPTEN__)
static const char VersionDirective[] = "#version 300 es\nprecision highp float;\nprecision highp int;";
static const char* const FeedbackFragmentKey = "tf.FS";
#else
static const char VersionDirective[] = "#version 150";
static const char* const FeedbackFragmentKey = nullptr;
#endif

static std::string resourceDirectory = "../assets/";
static std::vector<std::string> fallbackDirectories;
static bool storeIsSetUp = false;

void useResourceDirectory(const char* directory) { resourceDirectory = directory; }

void addFallbackDirectory(const char* directory) { fallbackDirectories.emplace_back(directory); }

static std::vector<EffectSearchPath> searchPaths() { return effectSearchPaths(resourceDirectory, fallbackDirectories); }

// The store searches the path added last first; its own last resort, the
// effect's name in the working directory, stays behind them all.
static void setUpShaderStore()
{
    shaderstore::create();
    const std::vector<EffectSearchPath> paths = searchPaths();
    for (auto path = paths.rbegin(); path != paths.rend(); ++path)
        shaderstore::addPath(path->prefix.c_str(), path->suffix.c_str());
    shaderstore::addDirective("*", VersionDirective);
}

// The demo's keys are given without the effect's name in front.
static std::string fullKey(const char* key) { return std::string(EffectName) + "." + key; }

const char* effectFilePath() { return shaderstore::effectPath(EffectName); }

void forgetEffectFile() { shaderstore::forgetEffect(EffectName); }

// The start-up build stops the demo at its first failure; a rebuild while the
// demo runs prints the reason and hands the failure back instead.
enum class OnFailure { Stop, Report };

// The stage's section, by the key the demo gives (without the effect's name).
struct Stage {
    GLenum type;
    const char* key;
    const char* missingMessage;
};

// The effect file's name without its folders, as the rebuild's report names it.
static const char* effectFileName()
{
    const char* path = effectFilePath();
    if (path == nullptr)
        return EffectName;
    const char* name = path;
    for (const char* at = path; *at != 0; ++at) {
        if (*at == '/' || *at == '\\')
            name = at + 1;
    }
    return name;
}

// Prints each problem of a log as "FILE:LINE: MESSAGE (KEY)", on the line the
// compiler named, which the store's "#line" makes the effect file's own; a
// problem with no line of the section's body is put on its header line.
static void reportLog(const std::string& log, const char* key)
{
    const char* file = effectFileName();
    const int header = shaderstore::headerLine(fullKey(key).c_str());
    const char* text = log.data();
    int left = int(log.size());
    bool reported = false;
    InfoLogProblem problem = {};
    for (int used; (used = readInfoLogProblem(text, left, &problem)) > 0; text += used, left -= used) {
        const int line = problem.line > header ? problem.line : header;
        debugPrint("%s:%d: %s%.*s (%s)\n", file, line, problem.kind, problem.messageLength, problem.message, key);
        reported = true;
    }
    if (!reported)
        debugPrint("%s:%d: error: the GL gave no reason (%s)\n", file, header, key);
}

// The whole log of a shader or a program, however long.
static std::string wholeLog(GLuint object, PFNGLGETSHADERIVPROC readParameter, PFNGLGETSHADERINFOLOGPROC readLog)
{
    GLint length = 0;
    readParameter(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(size_t(length > 0 ? length : 1), '\0');
    GLsizei written = 0;
    readLog(object, GLsizei(log.size()), &written, &log[0]);
    log.resize(size_t(written));
    return log;
}

static std::string shaderLog(GLuint shader) { return wholeLog(shader, glGetShaderiv, glGetShaderInfoLog); }

static std::string programLog(GLuint program) { return wholeLog(program, glGetProgramiv, glGetProgramInfoLog); }

static bool attachStage(GLuint program, const Stage& stage, OnFailure onFailure)
{
    const std::string key = fullKey(stage.key);
    const char* source = shaderstore::getShader(key.c_str());
    // No effect file at all: the same message, then where it was looked for,
    // where the host knows folders of its own to look in (the page has none,
    // and no --assets to name: it fetched the file it was built with).
    if (source == nullptr && onFailure == OnFailure::Stop && effectFilePath() == nullptr &&
        !fallbackDirectories.empty()) {
        debugPrint(stage.missingMessage, key.c_str());
        debugPrint("\n");
        fatalError("%s", effectNotFoundLine(EffectName, searchPaths()).c_str());
    }
    if (source == nullptr) {
        if (onFailure == OnFailure::Stop)
            fatalError(stage.missingMessage, key.c_str());
        debugPrint("%s: no section %s (%s)\n", effectFileName(), stage.key, stage.key);
        return false;
    }

    GLuint shader = glCreateShader(stage.type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (!status) {
        if (onFailure == OnFailure::Stop) {
            char log[InfoLogCapacity] = {};
            glGetShaderInfoLog(shader, InfoLogCapacity, nullptr, log);
            fatalError("%s", log);
        }
        reportLog(shaderLog(shader), stage.key);
        glDeleteShader(shader);
        return false;
    }
    glAttachShader(program, shader);
    return true;
}

static GLuint build(const char* vertexKey, const char* geometryKey, const char* fragmentKey, OnFailure onFailure)
{
    if (!storeIsSetUp) {
        setUpShaderStore();
        storeIsSetUp = true;
    }

    // A program without a fragment stage of its own exists to write particles back.
    const bool writesParticles = !fragmentKey;
    if (writesParticles)
        fragmentKey = FeedbackFragmentKey;

    GLuint program = glCreateProgram();
    bool attached = attachStage(program, {GL_VERTEX_SHADER, vertexKey, "Can't find vertex shader: %s\n"}, onFailure) &&
        (!fragmentKey ||
         attachStage(program, {GL_FRAGMENT_SHADER, fragmentKey, "Can't find fragment shader: %s\n"}, onFailure)) &&
        (!geometryKey ||
         attachStage(program, {GL_GEOMETRY_SHADER, geometryKey, "Can't find geometry shader: %s\n"}, onFailure));
    if (!attached) {
        deleteProgram(program);
        return 0;
    }

    glBindAttribLocation(program, PositionAttribute, "Position");
    glBindAttribLocation(program, TexCoordAttribute, "TexCoord");
    glBindAttribLocation(program, NormalAttribute, "Normal");
    glBindAttribLocation(program, BirthTimeAttribute, "BirthTime");
    glBindAttribLocation(program, VelocityAttribute, "Velocity");

    if (writesParticles) {
        const char* outputs[] = {"vPosition", "vBirthTime", "vVelocity"};
        glTransformFeedbackVaryings(program, 3, outputs, GL_INTERLEAVED_ATTRIBS);
        checkCondition(glGetError() == GL_NO_ERROR, "OpenGL error.");
    }

    glLinkProgram(program);
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (!status) {
        if (onFailure == OnFailure::Stop) {
            char log[InfoLogCapacity] = {};
            glGetProgramInfoLog(program, InfoLogCapacity, nullptr, log);
            fatalError("%s", log);
        }
        // A link problem names no line: it is put on the program's vertex section.
        reportLog(programLog(program), vertexKey);
        deleteProgram(program);
        return 0;
    }

    glUseProgram(program);
    return program;
}

unsigned int buildProgram(const char* vertexKey, const char* geometryKey, const char* fragmentKey)
{
    return build(vertexKey, geometryKey, fragmentKey, OnFailure::Stop);
}

unsigned int rebuildProgram(const char* vertexKey, const char* geometryKey, const char* fragmentKey)
{
    return build(vertexKey, geometryKey, fragmentKey, OnFailure::Report);
}

void deleteProgram(unsigned int program)
{
    GLuint shaders[3] = {};
    GLsizei count = 0;
    glGetAttachedShaders(program, 3, &count, shaders);
    for (GLsizei i = 0; i < count; ++i)
        glDeleteShader(shaders[i]);
    glDeleteProgram(program);
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
