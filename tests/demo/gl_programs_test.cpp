#include "effect_directory.h"
#include "gl_fixture.h"
#include "demo/vector_math.h"
#include "demo/info_log.h"
#include "demo/programs.h"
#include "debug_capture.h"
#include "shaderstore/shaderstore.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

using testing::ElementsAre;
using testing::HasSubstr;

// Sections for every kind of program the demo builds, and for the failures.
// Attributes and feedback outputs are declared out of order, so that only
// explicit binding gives the expected locations and output order.
static const char* const testEffect = R"(// test effect
--Broken.VS
#error 100% broken %s %n
--Plain.VS
in vec3 Velocity;
in float BirthTime;
in vec3 Normal;
in vec2 TexCoord;
in vec3 Position;
out vec4 colour;
uniform float Shared;
void main()
{
    colour = vec4(Normal + Velocity, BirthTime + TexCoord.x + Shared);
    gl_Position = vec4(Position, 1.0);
}
--Plain.GS
layout(points) in;
layout(points, max_vertices = 1) out;
in vec4 colour[];
out vec4 geometryColour;
void main()
{
    geometryColour = colour[0];
    gl_Position = gl_in[0].gl_Position;
    EmitVertex();
}
--Plain.FS
in vec4 colour;
out vec4 fragment;
void main() { fragment = colour; }
--Geometry.FS
in vec4 geometryColour;
out vec4 fragment;
void main() { fragment = geometryColour; }
--Unlinked.FS
uniform vec2 Shared;
out vec4 fragment;
void main() { fragment = vec4(Shared, 0.0, 1.0); }
--Uniforms.VS
in vec3 Position;
out vec4 colour;
uniform int anInt;
uniform float aFloat;
uniform vec3 aVector;
uniform mat3 aMatrix3;
uniform mat4 aMatrix4;
void main()
{
    colour = vec4(aVector * aMatrix3, float(anInt) + aFloat);
    gl_Position = aMatrix4 * vec4(Position, 1.0);
}
--tf.VS
in vec3 Position;
in float BirthTime;
in vec3 Velocity;
out vec3 vVelocity;
out float vBirthTime;
out vec3 vPosition;
void main()
{
    vVelocity = Velocity;
    vBirthTime = BirthTime;
    vPosition = Position;
}
--Many.VS
void main() { a1 = 1; a2 = 2; a3 = 3; a4 = 4; a5 = 5; a6 = 6; a7 = 7; a8 = 8; }
--Misplaced.FS
out vec4 fragment;

void main()
{
    fragment = vec4(1.0);
    float early = undeclaredHere;
}
--
)";

class ProgramTest : public GlEffectTest {
protected:
    ProgramTest()
        : GlEffectTest(testEffect)
    {
    }
};
INSTANTIATE_FOR_BOTH_CONTEXTS(ProgramTest);

static GLint programParameter(GLuint program, GLenum parameter)
{
    GLint value = 0;
    glGetProgramiv(program, parameter, &value);
    return value;
}

static GLuint currentProgram()
{
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return static_cast<GLuint>(program);
}

// Guards the attribute bindings made before linking, and that a program
// with a fragment stage declares no feedback outputs.
TEST_P(ProgramTest, BindsTheFiveAttributeLocationsAndIsCurrentOnReturn)
{
    GLuint program = buildProgram("Plain.VS", nullptr, "Plain.FS");
    ASSERT_NE(program, 0u);
    EXPECT_EQ(currentProgram(), program);
    EXPECT_EQ(programParameter(program, GL_LINK_STATUS), GL_TRUE);
    EXPECT_EQ(programParameter(program, GL_ATTACHED_SHADERS), 2);
    EXPECT_EQ(glGetAttribLocation(program, "Position"), 0);
    EXPECT_EQ(glGetAttribLocation(program, "TexCoord"), 1);
    EXPECT_EQ(glGetAttribLocation(program, "Normal"), 2);
    EXPECT_EQ(glGetAttribLocation(program, "BirthTime"), 3);
    EXPECT_EQ(glGetAttribLocation(program, "Velocity"), 4);
    EXPECT_EQ(programParameter(program, GL_TRANSFORM_FEEDBACK_VARYINGS), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Guards the feedback declaration: three interleaved outputs in record order.
TEST_P(ProgramTest, AVertexOnlyProgramWritesTheParticleRecordInterleaved)
{
    GLuint program = buildProgram("tf.VS", nullptr, nullptr);
    EXPECT_EQ(currentProgram(), program);
    EXPECT_EQ(programParameter(program, GL_ATTACHED_SHADERS), 1);
    EXPECT_EQ(programParameter(program, GL_TRANSFORM_FEEDBACK_BUFFER_MODE), GL_INTERLEAVED_ATTRIBS);
    ASSERT_EQ(programParameter(program, GL_TRANSFORM_FEEDBACK_VARYINGS), 3);

    struct Output {
        const char* name;
        GLenum type;
    };
    const Output expected[] = {{"vPosition", GL_FLOAT_VEC3}, {"vBirthTime", GL_FLOAT}, {"vVelocity", GL_FLOAT_VEC3}};
    for (GLuint i = 0; i < 3; ++i) {
        char name[32] = {};
        GLsizei size = 0;
        GLenum type = 0;
        glGetTransformFeedbackVarying(program, i, sizeof name, nullptr, &size, &type, name);
        EXPECT_STREQ(name, expected[i].name);
        EXPECT_EQ(type, expected[i].type);
        EXPECT_EQ(size, 1);
    }
    EXPECT_EQ(glGetAttribLocation(program, "Position"), 0);
    EXPECT_EQ(glGetAttribLocation(program, "BirthTime"), 3);
    EXPECT_EQ(glGetAttribLocation(program, "Velocity"), 4);
}

// Guards the geometry stage being compiled and attached.
TEST_P(ProgramTest, AttachesAGeometryStageWhenOneIsNamed)
{
    GLuint program = buildProgram("Plain.VS", "Plain.GS", "Geometry.FS");
    EXPECT_EQ(currentProgram(), program);
    EXPECT_EQ(programParameter(program, GL_LINK_STATUS), GL_TRUE);
    GLuint shaders[4] = {};
    GLsizei count = 0;
    glGetAttachedShaders(program, 4, &count, shaders);
    ASSERT_EQ(count, 3);
    int geometryStages = 0;
    for (GLsizei i = 0; i < count; ++i) {
        GLint type = 0;
        glGetShaderiv(shaders[i], GL_SHADER_TYPE, &type);
        geometryStages += type == GL_GEOMETRY_SHADER;
    }
    EXPECT_EQ(geometryStages, 1);
    EXPECT_EQ(programParameter(program, GL_GEOMETRY_OUTPUT_TYPE), GL_POINTS);
}

// Guards the setters: types, column order of matrices, and a silent miss.
TEST_P(ProgramTest, SettersWriteEveryUniformTypeOfTheCurrentProgram)
{
    GLuint program = buildProgram("Uniforms.VS", nullptr, "Plain.FS");
    Matrix3 matrix3 = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    Matrix4 matrix4 = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}};
    setInt("anInt", -7);
    setFloat("aFloat", 0.25f);
    setVector3("aVector", 1.5f, -2.5f, 3.5f);
    setMatrix3("aMatrix3", matrix3);
    setMatrix4("aMatrix4", matrix4);
    setFloat("noSuchUniform", 1.0f);
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    GLint anInt = 0;
    glGetUniformiv(program, glGetUniformLocation(program, "anInt"), &anInt);
    EXPECT_EQ(anInt, -7);
    GLfloat values[16] = {};
    glGetUniformfv(program, glGetUniformLocation(program, "aFloat"), values);
    EXPECT_EQ(values[0], 0.25f);
    glGetUniformfv(program, glGetUniformLocation(program, "aVector"), values);
    EXPECT_THAT(std::vector<float>(values, values + 3), testing::ElementsAre(1.5f, -2.5f, 3.5f));
    glGetUniformfv(program, glGetUniformLocation(program, "aMatrix3"), values);
    EXPECT_THAT(std::vector<float>(values, values + 9), testing::ElementsAre(1, 2, 3, 4, 5, 6, 7, 8, 9));
    glGetUniformfv(program, glGetUniformLocation(program, "aMatrix4"), values);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(values[i], float(i + 1)) << "element " << i;
}

// Guards a cached program or location: setters follow whichever program is current.
TEST_P(ProgramTest, SettersFollowTheCurrentProgram)
{
    GLuint first = buildProgram("Plain.VS", nullptr, "Plain.FS");
    GLuint second = buildProgram("Plain.VS", "Plain.GS", "Geometry.FS");
    setFloat("Shared", 2.0f);
    glUseProgram(first);
    setFloat("Shared", 3.0f);

    GLfloat value = 0;
    glGetUniformfv(second, glGetUniformLocation(second, "Shared"), &value);
    EXPECT_EQ(value, 2.0f);
    glGetUniformfv(first, glGetUniformLocation(first, "Shared"), &value);
    EXPECT_EQ(value, 3.0f);
}

static std::string lastStoreError()
{
    const ByteString* error = shaderstore::lastError();
    return error ? std::string(error->data, static_cast<size_t>(error->length)) : std::string();
}

// Guards the store set-up being repeated: a second create would record
// "Already initialized.", a second directive would double "#version 150".
TEST_P(ProgramTest, SetsUpTheStoreOnlyOnTheFirstBuild)
{
    writeEffectFile(effects, "../assets/Probe.glsl", "--Section\nbody\n");
    buildProgram("Plain.VS", nullptr, "Plain.FS");
    EXPECT_EQ(shaderstore::getShader("Shaders.NoSuchSection"), nullptr);
    const std::string missError = lastStoreError();
    EXPECT_THAT(missError, HasSubstr("Shaders.NoSuchSection"));

    buildProgram("tf.VS", nullptr, nullptr);
    EXPECT_EQ(lastStoreError(), missError);
    const char* probe = shaderstore::getShader("Probe.Section");
    ASSERT_NE(probe, nullptr) << "the resource directory is searched with the suffix .glsl";
    EXPECT_STREQ(probe, "#version 150\n#line 1\nbody\n\n");
}

// Guards --assets: the directory given replaces ../assets/ (a "/" is added),
// so only its effect file has the sections asked for.
TEST_P(ProgramTest, AResourceDirectoryGivenBeforeTheFirstBuildReplacesTheBuiltInOne)
{
    const std::string elsewhere = effects.root.string() + "/elsewhere";
    std::filesystem::create_directory(elsewhere);
    std::ofstream(elsewhere + "/Shaders.glsl", std::ios::binary) << testEffect;
    writeEffectFile(effects, "../assets/Shaders.glsl", "--Unrelated.VS\n");

    useResourceDirectory(elsewhere.c_str());
    EXPECT_NE(buildProgram("Plain.VS", nullptr, "Plain.FS"), 0u);
    EXPECT_EQ(std::string(effectFilePath()), elsewhere + "/Shaders.glsl");
}

// Guards each stage's lookup message, and the fragment stage coming before the geometry stage.
TEST_P(ProgramTest, AMissingSectionStopsWithTheStageAndTheFullKey)
{
    EXPECT_EXIT(buildProgram("Absent.VS", nullptr, "Plain.FS"), testing::ExitedWithCode(1),
                HasSubstr("Can't find vertex shader: Shaders.Absent.VS\n\n"));
    EXPECT_EXIT(buildProgram("Plain.VS", nullptr, "Absent.FS"), testing::ExitedWithCode(1),
                HasSubstr("Can't find fragment shader: Shaders.Absent.FS\n\n"));
    EXPECT_EXIT(buildProgram("Plain.VS", "Absent.GS", "Plain.FS"), testing::ExitedWithCode(1),
                HasSubstr("Can't find geometry shader: Shaders.Absent.GS\n\n"));
    EXPECT_EXIT(buildProgram("Plain.VS", "Absent.GS", "Absent.FS"), testing::ExitedWithCode(1),
                HasSubstr("Can't find fragment shader: Shaders.Absent.FS\n"));
}

// Guards the compiler log being used as a format: its "%" must print as it stands.
TEST_P(ProgramTest, ACompileErrorStopsWithTheDriversLogVerbatim)
{
    buildProgram("Plain.VS", nullptr, "Plain.FS");
    std::string log = compileLog(GL_VERTEX_SHADER, shaderstore::getShader("Shaders.Broken.VS"), true);
    ASSERT_THAT(log, HasSubstr("100% broken %s %n"));
    EXPECT_EXIT(buildProgram("Broken.VS", nullptr, "Plain.FS"), testing::ExitedWithCode(1), HasSubstr(log + "\n"));
}

// Guards the 256-byte log buffer: longer logs are cut to 255 characters.
TEST_P(ProgramTest, ALongCompileLogIsCutTo255Characters)
{
    buildProgram("Plain.VS", nullptr, "Plain.FS");
    const char* source = shaderstore::getShader("Shaders.Many.VS");
    std::string whole = compileLog(GL_VERTEX_SHADER, source, false);
    ASSERT_GT(whole.size(), 300u);
    ASSERT_NE(whole[255], '\n');
    std::string cut = compileLog(GL_VERTEX_SHADER, source, true);
    EXPECT_EXIT(buildProgram("Many.VS", nullptr, "Plain.FS"), testing::ExitedWithCode(1),
                testing::AllOf(HasSubstr(cut + "\n"), testing::Not(HasSubstr(whole.substr(0, 256)))));
}

// Guards the link check: stages that disagree on a uniform's type fail with the linker's log.
TEST_P(ProgramTest, ALinkErrorStopsWithTheLinkersLog)
{
    EXPECT_EXIT(buildProgram("Plain.VS", nullptr, "Unlinked.FS"), testing::ExitedWithCode(1), HasSubstr("Shared"));
}

// Guards the error check after declaring feedback outputs, made only for vertex-only programs.
TEST_P(ProgramTest, AnErrorPendingWhenDeclaringFeedbackOutputsStops)
{
    glEnable(GL_INVALID_ENUM);
    buildProgram("Plain.VS", nullptr, "Plain.FS");
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM)) << "a program with a fragment stage checks nothing";
    EXPECT_EXIT(
        {
            glEnable(GL_INVALID_ENUM);
            buildProgram("tf.VS", nullptr, nullptr);
        },
        testing::ExitedWithCode(1), HasSubstr("OpenGL error.\n"));
}

// The line of the effect file, counted from 1, on which text first stands.
static int effectLineOf(const char* text)
{
    const std::string effect = testEffect;
    const size_t at = effect.find(text);
    EXPECT_NE(at, std::string::npos) << text;
    return 1 + int(std::count(effect.begin(), effect.begin() + std::ptrdiff_t(at), '\n'));
}

// The lines the compiler names in its log of a section fetched from the store.
static std::vector<int> compiledLines(const char* key)
{
    const char* source = shaderstore::getShader(key);
    EXPECT_NE(source, nullptr) << key;
    const std::string log = compileLog(GL_FRAGMENT_SHADER, source ? source : "", false);
    std::vector<int> lines;
    InfoLogProblem problem = {};
    const char* text = log.data();
    int left = int(log.size());
    for (int used; (used = readInfoLogProblem(text, left, &problem)) > 0; text += used, left -= used)
        lines.push_back(problem.line);
    return lines;
}

// Guards the "#line" the store writes: the compiler must name the effect
// file's own line, counted from 1, under the desktop's "#version 150", where
// the line after "#line N" is N + 1 ...
TEST_P(ProgramTest, TheCompilerNamesTheEffectFilesOwnLine)
{
    buildProgram("Plain.VS", nullptr, "Plain.FS");
    EXPECT_THAT(compiledLines("Shaders.Misplaced.FS"), testing::Each(effectLineOf("undeclaredHere")));
    EXPECT_EQ(shaderstore::headerLine("Shaders.Misplaced.FS"), effectLineOf("--Misplaced.FS"));
}

// ... and under the page's GLSL ES 3.00, where it is N, which Mesa compiles too.
TEST_P(ProgramTest, UnderThePagesGlslEsTheCompilerNamesTheEffectFilesOwnLine)
{
    shaderstore::create();
    shaderstore::addPath(searchPrefix(effects, "../assets").c_str(), ".glsl");
    shaderstore::addDirective("*", "#version 300 es\nprecision highp float;\nprecision highp int;");
    const std::vector<int> lines = compiledLines("Shaders.Misplaced.FS");
    EXPECT_THAT(lines, testing::Not(testing::IsEmpty()));
    EXPECT_THAT(lines, testing::Each(effectLineOf("undeclaredHere")));
}

// Guards the rebuild's report: one line a problem, "FILE:LINE: MESSAGE (KEY)",
// the compiler's location swapped for the effect file's name and line, and the
// whole log however long; a problem without a line of the body goes on the
// header line, the vertex section's for the linker.
TEST_P(ProgramTest, ARebuildReportsEachProblemOnItsLineOfTheEffectFile)
{
    buildProgram("Plain.VS", nullptr, "Plain.FS");
    DebugCapture capture;
    EXPECT_EQ(rebuildProgram("Plain.VS", nullptr, "Misplaced.FS"), 0u);
    const std::string misplaced = "Shaders.glsl:" + std::to_string(effectLineOf("undeclaredHere")) + ": ";
    ASSERT_FALSE(capture.writes().empty());
    EXPECT_EQ(capture.writes()[0], misplaced + "error: `undeclaredHere' undeclared (Misplaced.FS)\n");
    EXPECT_THAT(capture.writes(), testing::Each(testing::StartsWith(misplaced + "error: ")));
    EXPECT_THAT(capture.writes(), testing::Each(testing::EndsWith(" (Misplaced.FS)\n")));

    const std::string many = "Shaders.glsl:" + std::to_string(effectLineOf("a1 = 1")) + ": error: `a";
    std::vector<std::string> undeclared;
    for (int i = 1; i <= 8; ++i)
        undeclared.push_back(many + std::to_string(i) + "' undeclared (Many.VS)\n");
    EXPECT_EQ(rebuildProgram("Many.VS", nullptr, "Plain.FS"), 0u);
    EXPECT_THAT(capture.writes(), testing::IsSupersetOf(undeclared)) << "the log past 256 bytes";

    const std::string linked = "Shaders.glsl:" + std::to_string(effectLineOf("--Plain.VS")) + ": ";
    const size_t written = capture.writes().size();
    EXPECT_EQ(rebuildProgram("Plain.VS", nullptr, "Unlinked.FS"), 0u);
    std::vector<std::string> link(capture.writes().begin() + std::ptrdiff_t(written), capture.writes().end());
    EXPECT_THAT(link, testing::Contains(HasSubstr("Shared")));
    EXPECT_THAT(link, testing::Each(testing::AllOf(testing::StartsWith(linked), testing::EndsWith(" (Plain.VS)\n"))));

    DebugCapture missing;
    EXPECT_EQ(rebuildProgram("Plain.VS", "Absent.GS", "Plain.FS"), 0u);
    EXPECT_THAT(missing.writes(), ElementsAre("Shaders.glsl: no section Absent.GS (Absent.GS)\n"));
}
