#include "debug_capture.h"
#include "effect_directory.h"
#include "gl_fixture.h"
#include "demo/particles.h"
#include "demo/programs.h"
#include "demo/scene.h"
#include "shaderstore/shaderstore.h"

#include <GLFW/glfw3.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <iomanip>
#include <sstream>

// The feedback shader writes known functions of its inputs and uniforms:
//   position  = (x + TimeStep, the particle's index, birthTime + 1000 * velocity.z)
//   birthTime = Time
//   velocity  = (mLoc.x, mLoc.y, mUp + 2 * explosion)
// so one record read back tells what was uploaded and what was read.
// The particle program draws one marker, for the first particle only, at
// mLoc: red while the button is up, green while it is held, and only once
// the record drawn has been simulated (x > 0).
static const char* const frameEffect = R"(
--tf.VS
in vec3 Position;
in float BirthTime;
in vec3 Velocity;
out vec3 vPosition;
out float vBirthTime;
out vec3 vVelocity;
uniform float TimeStep;
uniform float Time;
uniform vec3 mLoc;
uniform float explosion;
uniform float mUp;
void main()
{
    vPosition = vec3(Position.x + TimeStep, float(gl_VertexID), BirthTime + 1000.0 * Velocity.z);
    vBirthTime = Time;
    vVelocity = vec3(mLoc.xy, mUp + 2.0 * explosion);
}
--Particle.VS
in vec3 Position;
out vec4 markerColour;
out float simulated;
uniform mat4 ModelviewProjection;
uniform mat3 Modelview;
uniform vec3 mLoc;
uniform float mUp;
void main()
{
    float identity = Modelview[0][0] * Modelview[1][1] * Modelview[2][2];
    markerColour = vec4(mix(vec3(0.0, 1.0, 0.0), vec3(1.0, 0.0, 0.0), mUp) * identity, 1.0);
    simulated = Position.x;
    gl_Position = ModelviewProjection * vec4(mLoc, 1.0);
}
--Particle.GS
layout(points) in;
layout(triangle_strip, max_vertices = 4) out;
in vec4 markerColour[];
in float simulated[];
out vec4 colour;
uniform float PointSize;
void main()
{
    if (gl_PrimitiveIDIn != 0 || simulated[0] <= 0.0)
        return;
    vec4 centre = gl_in[0].gl_Position;
    float extent = PointSize * 1.6 * centre.w;
    colour = markerColour[0];
    gl_Position = centre + vec4(-extent, -extent, 0.0, 0.0);
    EmitVertex();
    gl_Position = centre + vec4(extent, -extent, 0.0, 0.0);
    EmitVertex();
    gl_Position = centre + vec4(-extent, extent, 0.0, 0.0);
    EmitVertex();
    gl_Position = centre + vec4(extent, extent, 0.0, 0.0);
    EmitVertex();
}
--Particle.FS
in vec4 colour;
out vec4 fragment;
void main() { fragment = colour; }
--Composite.VS
in vec3 Position;
in vec2 TexCoord;
out vec2 texCoord;
void main()
{
    texCoord = vec2(TexCoord.x, 1.0 - TexCoord.y);
    gl_Position = vec4(Position, 1.0);
}
--Composite.FS
in vec2 texCoord;
out vec4 fragment;
uniform sampler2D BackgroundSampler;
uniform sampler2D ParticlesSampler;
void main()
{
    vec4 background = texture(BackgroundSampler, texCoord);
    vec4 particles = texture(ParticlesSampler, texCoord);
    fragment = vec4(particles.rgb + background.rgb * particles.a, 1.0);
}
--
)";

static constexpr GLsizeiptr ParticleBufferBytes = 19600000;
// Two seconds of wall-clock time are 0.2 of simulation time: a TimeStep of 1.
static constexpr uint32_t TwoSeconds = 2000000;
static constexpr float TimeStepOfTwoSeconds = 1.0f;

class FrameTest : public GlEffectTest {
protected:
    FrameTest()
        : GlEffectTest(frameEffect)
    {
    }
};
INSTANTIATE_FOR_BOTH_CONTEXTS(FrameTest);

static ParticleVertex readParticle(GLuint buffer, int index)
{
    return readBufferAs<ParticleVertex>(buffer, GLintptr(index) * GLintptr(sizeof(ParticleVertex)), 1)[0];
}

static GLint bufferParameter(GLuint buffer, GLenum parameter)
{
    GLint value = 0;
    glBindBuffer(GL_COPY_READ_BUFFER, buffer);
    glGetBufferParameteriv(GL_COPY_READ_BUFFER, parameter, &value);
    return value;
}

// The live buffer names of the given size: the two particle buffers, since
// the quad's buffers are a few dozen bytes and the smallest particle buffer
// holds 28,000.
static std::vector<GLuint> buffersOfSize(GLsizeiptr bytes)
{
    std::vector<GLuint> found;
    for (GLuint name = 1; name <= 1024; ++name)
        if (glIsBuffer(name) && bufferParameter(name, GL_BUFFER_SIZE) == bytes)
            found.push_back(name);
    return found;
}

struct ParticleBuffers {
    GLuint newest; // written by the last simulation pass and drawn by its frame
    GLuint older;  // read by that pass, and overwritten by the next
};

// Found after a frame through the GL alone: the simulation pass writes
// through transform-feedback binding 0 and on the desktop leaves that buffer
// bound there. Both buffers must be of the size given, or the test fails here.
static ParticleBuffers particleBuffersAfterAFrame(GLsizeiptr bufferBytes = ParticleBufferBytes)
{
    GLint written = 0;
    glGetIntegeri_v(GL_TRANSFORM_FEEDBACK_BUFFER_BINDING, 0, &written);
    const std::vector<GLuint> buffers = buffersOfSize(bufferBytes);
    if (buffers.size() != 2 || std::count(buffers.begin(), buffers.end(), GLuint(written)) != 1) {
        ADD_FAILURE() << "expected two buffers of " << bufferBytes << " bytes, one of them bound for feedback; found "
                      << testing::PrintToString(buffers) << " with buffer " << written << " bound";
        return {0, 0};
    }
    return {GLuint(written), buffers[0] == GLuint(written) ? buffers[1] : buffers[0]};
}

static GLuint newestParticles() { return particleBuffersAfterAFrame().newest; }

// Guards the buffers' size, usage and zeroed start, and the state left for the frames.
TEST_P(FrameTest, InitialiseLeavesTwoFullStreamBuffersAndZeroedParticles)
{
    initialise();
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    const std::vector<GLuint> buffers = buffersOfSize(ParticleBufferBytes);
    ASSERT_EQ(buffers.size(), 2u) << "two buffers of 700,000 records";
    std::vector<std::vector<unsigned char>> contents;
    for (GLuint buffer : buffers) {
        EXPECT_EQ(bufferParameter(buffer, GL_BUFFER_USAGE), GL_STREAM_DRAW);
        contents.push_back(readBuffer(buffer, 0, ParticleBufferBytes));
    }

    // The feedback program is left current, ready for update.
    GLuint current = static_cast<GLuint>(integerState(GL_CURRENT_PROGRAM));
    GLint outputs = 0;
    glGetProgramiv(current, GL_TRANSFORM_FEEDBACK_VARYINGS, &outputs);
    EXPECT_EQ(outputs, 3);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(integerState(GL_BLEND_SRC_RGB), GL_SRC_ALPHA);
    EXPECT_EQ(integerState(GL_BLEND_DST_RGB), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(integerState(GL_BLEND_SRC_ALPHA), GL_ZERO);
    EXPECT_EQ(integerState(GL_BLEND_DST_ALPHA), GL_ONE_MINUS_SRC_ALPHA);

    // The buffer the first pass reads, the one it does not write, held the zeroed records.
    update(TwoSeconds);
    render();
    const GLuint firstRead = particleBuffersAfterAFrame().older;
    const std::vector<unsigned char>& source = firstRead == buffers[0] ? contents[0] : contents[1];
    EXPECT_EQ(std::count(source.begin(), source.end(), 0), ParticleBufferBytes);
}

// Guards the particle count's bounds on the way from the command line to the
// simulation: the smallest count the command line takes sizes both buffers
// and is what one pass writes, record for record; the largest is taken too
// (its buffers, 2 GiB each, are the GL's to refuse), and one past either
// bound is refused with the reason.
TEST_P(FrameTest, TheSmallestAndLargestCountsTheCommandLineTakesReachTheSimulation)
{
    useParticleCount(MaximumParticleCount);
    EXPECT_EQ(particlesSimulated(), MaximumParticleCount);
    EXPECT_EXIT(useParticleCount(MaximumParticleCount + 1), testing::ExitedWithCode(1),
                testing::HasSubstr("There can be from 1000 to 76695844 particles, not 76695845.\n"));
    EXPECT_EXIT(useParticleCount(MinimumParticleCount - 1), testing::ExitedWithCode(1),
                testing::HasSubstr("not 999.\n"));

    useParticleCount(MinimumParticleCount);
    initialise();
    update(TwoSeconds);
    render();
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    const GLuint newest = particleBuffersAfterAFrame(MinimumParticleCount * GLsizeiptr(sizeof(ParticleVertex))).newest;
    std::vector<ParticleVertex> all = readBufferAs<ParticleVertex>(newest, 0, size_t(MinimumParticleCount));
    int misplaced = 0;
    for (size_t i = 0; i < all.size(); ++i)
        misplaced += all[i].position.y != float(i) || all[i].position.x != TimeStepOfTwoSeconds;
    EXPECT_EQ(misplaced, 0);
}

// Guards the simulation reading the wrong buffer, a missing swap, and
// buffers reallocated or replaced along the way.
TEST_P(FrameTest, EveryFrameSimulatesSourceIntoDestinationAndSwapsThem)
{
    initialise();
    const std::vector<GLuint> created = buffersOfSize(ParticleBufferBytes);
    ParticleBuffers previous = {};
    float expectedX = 0;
    for (int frame = 1; frame <= 3; ++frame) {
        update(TwoSeconds);
        render();
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        ParticleBuffers names = particleBuffersAfterAFrame();
        EXPECT_THAT(created, testing::UnorderedElementsAre(names.newest, names.older)) << "frame " << frame;
        if (frame > 1) {
            EXPECT_EQ(names.newest, previous.older) << "frame " << frame;
            EXPECT_EQ(names.older, previous.newest) << "frame " << frame;
        }
        for (int index : {0, 1, 349999, int(DefaultParticleCount) - 1}) {
            ParticleVertex newest = readParticle(names.newest, index);
            ParticleVertex older = readParticle(names.older, index);
            EXPECT_FLOAT_EQ(newest.position.x, expectedX + TimeStepOfTwoSeconds)
                << "frame " << frame << ", particle " << index;
            EXPECT_EQ(newest.position.y, float(index));
            EXPECT_FLOAT_EQ(older.position.x, expectedX) << "frame " << frame << ", particle " << index;
        }
        expectedX += TimeStepOfTwoSeconds;
        previous = names;
    }

    // Every record was written, in order, by the last pass.
    std::vector<ParticleVertex> all = readBufferAs<ParticleVertex>(previous.newest, 0, int(DefaultParticleCount));
    int misplaced = 0;
    for (int i = 0; i < int(DefaultParticleCount); ++i)
        misplaced += all[size_t(i)].position.y != float(i);
    EXPECT_EQ(misplaced, 0);
}

struct FeedbackRecord {
    float time, mouseX, mouseY;
    float mouseUp, explosion;
};

// One frame; returns what the feedback pass saw, decoded from the first record.
static FeedbackRecord runFrame()
{
    update(500000);
    render();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    ParticleVertex record = readParticle(newestParticles(), 0);
    float code = record.velocity.z;
    return {record.birthTime, record.velocity.x, record.velocity.y, code >= 2 ? code - 2 : code,
            code >= 2 ? 1.0f : 0.0f};
}

static void expectUploaded(const FeedbackRecord& record, float mouseUp, float explosion, const char* when)
{
    const SceneState& scene = sceneState();
    EXPECT_EQ(record.time, static_cast<float>(scene.time)) << when;
    EXPECT_EQ(record.mouseX, scene.mouseX) << when;
    EXPECT_EQ(record.mouseY, scene.mouseY) << when;
    EXPECT_EQ(record.mouseUp, mouseUp) << when;
    EXPECT_EQ(record.explosion, explosion) << when;
}

// Guards the feedback uniforms: mUp 1 until the first press, mLoc following
// presses and moves, and explosion 1 in exactly one frame after a release.
TEST_P(FrameTest, FeedbackUniformsFollowTheMouse)
{
    initialise();
    FeedbackRecord idle = runFrame();
    expectUploaded(idle, 1, 0, "before any input");
    EXPECT_EQ(idle.mouseX, 0.0f);
    EXPECT_EQ(idle.mouseY, 0.0f);
    expectUploaded(runFrame(), 1, 0, "still no input");

    handleMouse(700, 300, MouseDown);
    FeedbackRecord pressed = runFrame();
    expectUploaded(pressed, 0, 0, "after a press");
    EXPECT_GT(pressed.mouseX, 0.0f);
    EXPECT_GT(pressed.mouseY, 0.0f);

    handleMouse(100, 900, MouseMove);
    FeedbackRecord moved = runFrame();
    expectUploaded(moved, 0, 0, "after a move");
    EXPECT_LT(moved.mouseX, 0.0f);
    EXPECT_LT(moved.mouseY, 0.0f);

    handleMouse(100, 900, MouseUp);
    handleMouse(100, 900, MouseUp);
    FeedbackRecord released = runFrame();
    expectUploaded(released, 1, 1, "the frame after a release");
    EXPECT_EQ(released.mouseX, moved.mouseX);
    expectUploaded(runFrame(), 1, 0, "the next frame");
    expectUploaded(runFrame(), 1, 0, "a later frame");
}

// Guards the attribute offsets of the particle record: birth time and
// velocity read back exactly what the previous pass wrote.
TEST_P(FrameTest, TheSimulationReadsBirthTimeAndVelocityFromTheirOffsets)
{
    initialise();
    ParticleVertex first = (runFrame(), readParticle(newestParticles(), 0));
    handleMouse(10, 10, MouseDown);
    ParticleVertex second = (runFrame(), readParticle(newestParticles(), 0));
    EXPECT_FLOAT_EQ(second.position.z, first.birthTime + 1000.0f * first.velocity.z);
    handleMouse(10, 10, MouseUp);
    ParticleVertex third = (runFrame(), readParticle(newestParticles(), 0));
    EXPECT_FLOAT_EQ(third.position.z, second.birthTime + 1000.0f * second.velocity.z);
}

static bool isGrey(Pixel pixel)
{
    auto near = [](unsigned char channel) { return channel >= 126 && channel <= 129; };
    return near(pixel.r) && near(pixel.g) && near(pixel.b);
}

static bool isColour(Pixel pixel, bool red, bool green)
{
    return (pixel.r > 240) == red && (pixel.g > 240) == green && pixel.b < 16;
}

// The window pixel under a pointer at client (x, y); GL counts rows from the bottom.
static Pixel windowPixelUnder(int x, int y)
{
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    return readPixel(x, 1023 - y);
}

// Guards the composite: grey background wherever no particle lands, the
// particles' surface on top, upright, and the particle program's uniforms
// (camera, pointer, button, point size) placing and colouring the marker.
TEST_P(FrameTest, TheWindowShowsTheGreyBackgroundAndTheMarkerUnderThePointer)
{
    initialise();
    update(500000);
    render();
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(isColour(windowPixelUnder(512, 512), true, false)) << "the first frame draws simulated particles";
    EXPECT_TRUE(isGrey(windowPixelUnder(20, 20)));
    EXPECT_TRUE(isGrey(windowPixelUnder(1000, 1000)));
    EXPECT_TRUE(isGrey(windowPixelUnder(700, 300)));

    handleMouse(700, 300, MouseDown);
    update(500000);
    render();
    EXPECT_TRUE(isColour(windowPixelUnder(700, 300), false, true)) << "green while held";
    EXPECT_TRUE(isGrey(windowPixelUnder(512, 512)));
    EXPECT_TRUE(isGrey(windowPixelUnder(700, 1023 - 300))) << "the picture is upside down";
    EXPECT_TRUE(isGrey(windowPixelUnder(708, 300))) << "the marker is larger than PointSize makes it";

    handleMouse(700, 300, MouseUp);
    update(500000);
    render();
    EXPECT_TRUE(isColour(windowPixelUnder(700, 300), true, false)) << "red once released";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// A later section of the same name answers its key: this paints the window yellow.
static const char* const yellowComposite = R"(
--Composite.FS
out vec4 fragment;
void main() { fragment = vec4(1.0, 1.0, 0.0, 1.0); }
)";

static std::string frameEffectWithout(const std::string& header, const std::string& nextHeader)
{
    std::string effect = frameEffect;
    size_t start = effect.find(header);
    return effect.erase(start, effect.find(nextHeader) - start);
}

// As initialise leaves it: a program with the three feedback outputs that is
// not waiting to be deleted.
static bool isFeedbackProgramCurrent()
{
    GLuint program = static_cast<GLuint>(integerState(GL_CURRENT_PROGRAM));
    GLint outputs = 0, deleted = GL_TRUE;
    glGetProgramiv(program, GL_TRANSFORM_FEEDBACK_VARYINGS, &outputs);
    glGetProgramiv(program, GL_DELETE_STATUS, &deleted);
    return outputs == 3 && deleted == GL_FALSE;
}

// Programs and shaders alive: a reload must leave as many as it found.
static int liveShaderObjects()
{
    int live = 0;
    for (GLuint name = 1; name <= 1024; ++name)
        live += glIsProgram(name) || glIsShader(name);
    return live;
}

// Guards a reload that rebuilds from the text read at start-up, that restarts
// the particles, or that leaves "PointSize" unset on the new particle program
// (its marker would vanish): a saved composite shows, and so does the original
// once it is saved back, with the particles carrying on throughout.
TEST_P(FrameTest, AReloadShowsTheSavedEffectAndTheParticlesCarryOn)
{
    initialise();
    EXPECT_STREQ(effectFilePath(), "../assets/Shaders.glsl");
    update(TwoSeconds);
    render();
    const GLuint newestAfterOneFrame = newestParticles();
    const int liveObjects = liveShaderObjects();

    writeEffectFile(effects, "../assets/Shaders.glsl", std::string(frameEffect) + yellowComposite);
    reloadShaders();
    EXPECT_TRUE(isFeedbackProgramCurrent());
    update(TwoSeconds);
    render();
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(liveShaderObjects(), liveObjects) << "the replaced programs and their shaders are deleted";
    EXPECT_TRUE(isColour(windowPixelUnder(20, 20), true, true)) << "the saved composite paints yellow";
    EXPECT_FLOAT_EQ(readParticle(newestParticles(), 0).position.x, 2 * TimeStepOfTwoSeconds);

    writeEffectFile(effects, "../assets/Shaders.glsl", frameEffect);
    reloadShaders();
    update(TwoSeconds);
    render();
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(isGrey(windowPixelUnder(20, 20)));
    EXPECT_TRUE(isColour(windowPixelUnder(512, 512), true, false)) << "the marker under the pointer";
    EXPECT_FLOAT_EQ(readParticle(newestParticles(), 0).position.x, 3 * TimeStepOfTwoSeconds);
    EXPECT_EQ(newestParticles(), newestAfterOneFrame) << "the buffers keep their names and turns";
}

// Saves effect, reloads, and runs a frame, which must look as it did before
// the save; returns what the reload printed.
static std::vector<std::string> reloadAndRunAFrame(const EffectDirectory& effects, const std::string& effect)
{
    const int liveObjects = liveShaderObjects();
    writeEffectFile(effects, "../assets/Shaders.glsl", effect);
    DebugCapture capture;
    reloadShaders();
    EXPECT_TRUE(isFeedbackProgramCurrent());
    update(500000);
    render();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    // The driver may hold on to a deleted program until the next draw.
    EXPECT_EQ(liveShaderObjects(), liveObjects) << "what did build is deleted";
    EXPECT_TRUE(isGrey(windowPixelUnder(20, 20))) << "the composite that did build is not used";
    EXPECT_TRUE(isColour(windowPixelUnder(512, 512), true, false)) << "the marker under the pointer";
    return capture.writes();
}

// Guards a failed reload that stops the demo, keeps quiet, or leaves a broken
// or half-replaced set of programs in use: the reason is printed with the
// effect file's line, and the frames go on with the programs that built last.
TEST_P(FrameTest, AReloadThatFailsPrintsWhyAndKeepsTheProgramsItHad)
{
    initialise();
    const std::string broken = std::string(frameEffect) + yellowComposite + "--Particle.FS\nthis is not GLSL;\n";
    std::vector<std::string> printed = reloadAndRunAFrame(effects, broken);
    const int brokenLine = 1 + int(std::count(broken.begin(), broken.begin() + broken.find("this is"), '\n'));
    EXPECT_THAT(printed,
                testing::Contains(testing::MatchesRegex("Shaders\\.glsl:" + std::to_string(brokenLine) +
                                                        ": error: .* \\(Particle\\.FS\\)\n")))
        << "a syntax error, on its line of the effect file";

    printed = reloadAndRunAFrame(effects, frameEffectWithout("--Particle.GS", "--Particle.FS") + yellowComposite);
    EXPECT_THAT(printed, testing::ElementsAre("Shaders.glsl: no section Particle.GS (Particle.GS)\n"))
        << "a section removed";
}

// Puts the shipped effect file in the scratch tree. Without it initialise
// would end the whole test binary, so a missing asset fails the test here.
static void useShippedEffect(const EffectDirectory& effects)
{
    std::ifstream shipped(VANTEEL_ASSETS_DIR "/Shaders.glsl", std::ios::binary);
    ASSERT_TRUE(shipped.good()) << "cannot read " VANTEEL_ASSETS_DIR "/Shaders.glsl";
    std::stringstream text;
    text << shipped.rdbuf();
    writeEffectFile(effects, "../assets/Shaders.glsl", text.str());
}

// Window pixels that show something other than the grey background.
static long coveredPixels()
{
    std::vector<unsigned char> pixels(size_t(1024) * 1024 * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 1024, 1024, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    long covered = 0;
    for (size_t pixel = 0; pixel < pixels.size(); pixel += 4)
        covered += !isGrey({pixels[pixel], pixels[pixel + 1], pixels[pixel + 2], pixels[pixel + 3]});
    return covered;
}

static void runFrames(int count, uint32_t elapsedMicroseconds)
{
    for (int frame = 0; frame < count; ++frame) {
        update(elapsedMicroseconds);
        render();
    }
}

// Guards the shipped effect file: it must build and render on this driver,
// leaving the background visible at the window's edge and particles in it.
TEST_P(FrameTest, TheShippedEffectFileBuildsAndRenders)
{
    ASSERT_NO_FATAL_FAILURE(useShippedEffect(effects));

    initialise();
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    for (MouseEvent event : {MouseMove, MouseDown, MouseMove, MouseUp, MouseMove}) {
        handleMouse(600, 400, event);
        update(100000);
        render();
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    EXPECT_TRUE(isGrey(windowPixelUnder(0, 0)));
    EXPECT_TRUE(isGrey(windowPixelUnder(1023, 1023)));
    int lit = 0;
    for (int y = 256; y < 768; y += 8)
        for (int x = 256; x < 768; x += 8)
            lit += !isGrey(windowPixelUnder(x, y));
    EXPECT_GT(lit, 64 * 64 / 4) << "particles should cover much of the middle of the window";
}

// Guards the frames that follow a gap (a debugger break, a suspended machine,
// a hidden page). Integrated as given, a step of 40 s throws every particle
// out of view. And every particle's life ends inside it: reborn at age zero
// they would all be faded out (an empty window) and from then on live and
// fade in lockstep. Each must start part-way through its new life instead,
// as at first birth, and ordinary frames after the gaps look as before them.
TEST_P(FrameTest, FramesFortySecondsApartShowTheNebulaWithLivesOfEveryAge)
{
    ASSERT_NO_FATAL_FAILURE(useShippedEffect(effects));
    initialise();
    runFrames(30, 16667);
    const long atSixtyHertz = coveredPixels();
    runFrames(4, 40000000);
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    const long afterGaps = coveredPixels();
    EXPECT_GT(atSixtyHertz, 1024 * 1024 / 20) << "a normal frame should show the nebula";
    EXPECT_GT(afterGaps, atSixtyHertz / 3) << "covered pixels at 60 Hz: " << atSixtyHertz;

    const auto time = static_cast<float>(sceneState().time);
    std::vector<ParticleVertex> particles =
        readBufferAs<ParticleVertex>(newestParticles(), 0, int(DefaultParticleCount));
    std::vector<float> ages;
    for (size_t index = 0; index < particles.size(); index += 101)
        ages.push_back(time - particles[index].birthTime);
    std::sort(ages.begin(), ages.end());
    const float lowQuartile = ages[ages.size() / 4], highQuartile = ages[ages.size() * 3 / 4];
    // Lives last 0.35 to 0.9 units: ages spread over them, none past the end.
    EXPECT_LT(lowQuartile, 0.2f) << "ages from " << ages.front() << " to " << ages.back();
    EXPECT_GT(highQuartile - lowQuartile, 0.15f) << "ages from " << ages.front() << " to " << ages.back();
    EXPECT_LT(ages.back(), 0.9f) << "a particle outlived the longest life";

    runFrames(3, 50000);
    const long afterNormalFrames = coveredPixels();
    EXPECT_GT(afterNormalFrames, atSixtyHertz / 3) << "covered pixels at 60 Hz: " << atSixtyHertz;
    EXPECT_LT(afterNormalFrames, atSixtyHertz * 3) << "covered pixels at 60 Hz: " << atSixtyHertz;
}

struct SeedProbe {
    float time;
    uint32_t id;
};

// The shipped simulation's rebirthSeed run on the GPU for each probe: its
// section, with its own main renamed away, and a main of the probe's that
// hands the seed back through transform feedback.
static std::vector<uint32_t> rebirthSeedsOnGpu(const std::vector<SeedProbe>& probes)
{
    forgetEffectFile();
    buildProgram("tf.VS", nullptr, nullptr);
    std::string source = shaderstore::getShader("Shaders.tf.VS");
    source.insert(source.find('\n') + 1, "#define main simulate\n");
    source += "#undef main\n"
              "in float ProbeTime;\n"
              "in uint ProbeId;\n"
              "flat out uint probedSeed;\n"
              "void main() { probedSeed = rebirthSeed(ProbeId, ProbeTime); }\n";
    const char* text = source.c_str();
    GLuint shader = glCreateShader(GL_VERTEX_SHADER);
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLuint program = glCreateProgram();
    glAttachShader(program, shader);
    glBindAttribLocation(program, 5, "ProbeTime");
    glBindAttribLocation(program, 6, "ProbeId");
    const char* output = "probedSeed";
    glTransformFeedbackVaryings(program, 1, &output, GL_INTERLEAVED_ATTRIBS);
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    char log[1024] = {};
    glGetProgramInfoLog(program, sizeof log, nullptr, log);
    EXPECT_TRUE(linked) << compileLog(GL_VERTEX_SHADER, text, false) << log;
    glUseProgram(program);

    GLuint buffers[2] = {};
    glGenBuffers(2, buffers);
    const GLsizeiptr count = GLsizeiptr(probes.size());
    glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, count * GLsizeiptr(sizeof(SeedProbe)), probes.data(), GL_STATIC_DRAW);
    glVertexAttribPointer(5, 1, GL_FLOAT, GL_FALSE, sizeof(SeedProbe), nullptr);
    glVertexAttribIPointer(6, 1, GL_UNSIGNED_INT, sizeof(SeedProbe),
                           reinterpret_cast<const void*>(offsetof(SeedProbe, id)));
    glEnableVertexAttribArray(5);
    glEnableVertexAttribArray(6);
    glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, buffers[1]);
    glBufferData(GL_TRANSFORM_FEEDBACK_BUFFER, count * GLsizeiptr(sizeof(uint32_t)), nullptr, GL_STATIC_READ);
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, buffers[1]);
    glEnable(GL_RASTERIZER_DISCARD);
    glBeginTransformFeedback(GL_POINTS);
    glDrawArrays(GL_POINTS, 0, GLsizei(count));
    glEndTransformFeedback();
    glDisable(GL_RASTERIZER_DISCARD);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    return readBufferAs<uint32_t>(buffers[1], 0, probes.size());
}

// Guards the rebirth seed past 65,536 units of simulation time (about a
// week), where the clock's ticks wrap: the seed is the particle's index
// mixed with the clock in 1/65,536ths of a unit, its whole units counted
// modulo 65,536, with no float converted out of range on the way. Each time
// is a float exactly, so the expected ticks are exact too.
TEST_P(FrameTest, TheRebirthSeedFollowsTheClockPastItsWrap)
{
    ASSERT_NO_FATAL_FAILURE(useShippedEffect(effects));
    struct Row {
        float time;
        uint32_t id, ticks;
    };
    const std::vector<Row> rows = {
        {0.5f, 0, 0x00008000u},
        {65535.5f, 1, 0xffff8000u},
        {65535.99609375f, 0, 0xffffff00u}, // the last float below the wrap
        {65536.0f, 699999, 0x00000000u},
        {65536.0078125f, 0, 0x00000200u}, // the first float past it
        {70000.75f, 12345, 0x1170c000u},
        {604800.25f, 0, 0x3a804000u},
        {16777215.0f, 0, 0xffff0000u},
        {1e10f, 699999, 0xe4000000u}, // whole units past 2^32
    };
    std::vector<SeedProbe> probes;
    for (const Row& row : rows)
        probes.push_back({row.time, row.id});
    std::vector<uint32_t> seeds = rebirthSeedsOnGpu(probes);
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(seeds[i], rows[i].id ^ rows[i].ticks * 0x9e3779b9u)
            << "time " << std::setprecision(12) << rows[i].time << ", particle " << rows[i].id;
}

// Guards the simulation's use of the seed: after a week of running each life
// must still start at a new place, not repeat the last one. The seed's own
// values are pinned by TheRebirthSeedFollowsTheClockPastItsWrap.
TEST_P(FrameTest, RebirthsStillVaryAfterAWeekOfRunning)
{
    ASSERT_NO_FATAL_FAILURE(useShippedEffect(effects));
    initialise();
    while (sceneState().time < 70000.0)
        update(4000000000u);
    // Each of these frames comes more than one life after the last, so every
    // particle is reborn in it, and takes a short step, so it ends near
    // where it was born.
    auto rebirthFrame = [] {
        update(10000000);
        update(50000);
        render();
    };
    // The buffers start as zeros, which the first frame gives their first lives.
    rebirthFrame();
    rebirthFrame();
    std::vector<ParticleVertex> firstLives =
        readBufferAs<ParticleVertex>(newestParticles(), 0, int(DefaultParticleCount));
    rebirthFrame();
    std::vector<ParticleVertex> secondLives =
        readBufferAs<ParticleVertex>(newestParticles(), 0, int(DefaultParticleCount));
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    int moved = 0, sampled = 0;
    for (size_t index = 0; index < size_t(int(DefaultParticleCount)); index += 97, ++sampled) {
        Vector3 a = firstLives[index].position, b = secondLives[index].position;
        float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
        moved += dx * dx + dy * dy + dz * dz > 1e-4f;
        EXPECT_GT(secondLives[index].birthTime, firstLives[index].birthTime)
            << "particle " << index << " was not reborn";
        if (HasFailure())
            break;
    }
    EXPECT_GT(moved, sampled * 9 / 10) << "most particles should start their next life somewhere else";
}
