#include "demo/particles.h"

#include "demo/programs.h"
#include "shell/diagnostics.h"
#include "demo/scene.h"
#include "demo/surfaces.h"

#include <GL/glew.h>

#include <cstddef>
#include <utility>
#include <vector>

static constexpr float PointSize = 0.005f;
// WebGL2 has no geometry stage: there the particle program's vertex stage
// drops the points too faint to see itself. It also refuses to draw from a
// buffer still bound for transform feedback, even with no feedback active,
// so there the simulation lets go of the buffer it wrote.
#if defined(__EMSCRIPTEN__)
static const char* const ParticleGeometryKey = nullptr;
static constexpr bool KeepsFeedbackBinding = false;
#else
static const char* const ParticleGeometryKey = "Particle.GS";
static constexpr bool KeepsFeedbackBinding = true;
#endif
static_assert(DefaultParticleCount * sizeof(ParticleVertex) == 19600000,
              "both particle buffers hold exactly 700,000 records by default");

static int64_t particleCount = DefaultParticleCount;
static bool initialised = false;

static Surface particleSurface;
static Surface backgroundSurface;
static Mesh quad;
static GLuint feedbackProgram;
static GLuint compositeProgram;
static GLuint particleProgram;
// Swapped after every simulation pass, so sourceBuffer always names the newest particles.
static GLuint sourceBuffer;
static GLuint destinationBuffer;

int64_t particlesSimulated() { return particleCount; }

void useParticleCount(int64_t count)
{
    checkCondition(!initialised, "The particle count is set before the buffers are made.\n");
    checkCondition(count >= MinimumParticleCount && count <= MaximumParticleCount,
                   "There can be from %lld to %lld particles, not %lld.\n", (long long)MinimumParticleCount,
                   (long long)MaximumParticleCount, (long long)count);
    particleCount = count;
}

static GLuint createParticleBuffer(const void* data)
{
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(particleCount) * GLsizeiptr(sizeof(ParticleVertex)), data, GL_STREAM_DRAW);
    // The one allocation whose size the user picks: a count too large for the
    // GL must say so, not draw from a buffer that was never made.
    const GLenum error = glGetError();
    checkCondition(error != GL_OUT_OF_MEMORY, "The GL has no room for %lld particles: try fewer.\n",
                   (long long)particleCount);
    checkCondition(error == GL_NO_ERROR, "Unable to create the particle buffers (GL error 0x%x).\n", error);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return buffer;
}

// Both surfaces cover the window pixel for pixel.
static void createSurfaces()
{
    const AppConfig config = appConfig();
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    checkCondition(config.width <= largest && config.height <= largest,
                   "The GL makes surfaces of at most %d pixels a side, not %dx%d.\n", largest, config.width,
                   config.height);
    particleSurface = createSurface(config.width, config.height);
    backgroundSurface = createSurface(config.width, config.height);
}

static void deleteSurface(const Surface& surface)
{
    glDeleteFramebuffers(1, &surface.framebuffer);
    glDeleteTextures(1, &surface.colorTexture);
    glDeleteTextures(1, &surface.depthTexture);
}

void resize(int width, int height)
{
    resizeScene(width, height);
    if (!initialised)
        return;
    deleteSurface(particleSurface);
    deleteSurface(backgroundSurface);
    createSurfaces();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
}

// The feedback program's birth layout spreads the particles it is told of.
static void tellParticleCount() { setInt("ParticleCount", static_cast<int>(particleCount)); }

void initialise()
{
    createSurfaces();
    quad = createQuad(-1, 1, 1, -1);

    compositeProgram = buildProgram("Composite.VS", nullptr, "Composite.FS");
    particleProgram = buildProgram("Particle.VS", ParticleGeometryKey, "Particle.FS");
    setFloat("PointSize", PointSize);
    feedbackProgram = buildProgram("tf.VS", nullptr, nullptr);
    tellParticleCount();

    glEnable(GL_DEPTH_TEST);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE_MINUS_SRC_ALPHA);

    // The shaders give every particle its first life from these zero records.
    std::vector<ParticleVertex> unborn(size_t(particleCount), ParticleVertex {});
    sourceBuffer = createParticleBuffer(unborn.data());
    destinationBuffer = createParticleBuffer(nullptr);
    initialised = true;
}

void reloadShaders()
{
    forgetEffectFile();
    // All three are built whatever fails first, so one save reports every broken stage.
    GLuint composite = rebuildProgram("Composite.VS", nullptr, "Composite.FS");
    GLuint particle = rebuildProgram("Particle.VS", ParticleGeometryKey, "Particle.FS");
    if (particle)
        setFloat("PointSize", PointSize);
    GLuint feedback = rebuildProgram("tf.VS", nullptr, nullptr);
    if (feedback)
        tellParticleCount();

    // The feedback program is current afterwards, as initialise leaves it.
    if (composite && particle && feedback) {
        glUseProgram(feedback);
        deleteProgram(compositeProgram);
        deleteProgram(particleProgram);
        deleteProgram(feedbackProgram);
        compositeProgram = composite;
        particleProgram = particle;
        feedbackProgram = feedback;
        return;
    }
    glUseProgram(feedbackProgram);
    for (GLuint program : {composite, particle, feedback}) {
        if (program)
            deleteProgram(program);
    }
}

void update(uint32_t elapsedMicroseconds)
{
    float dt = advance(elapsedMicroseconds);
    glUseProgram(feedbackProgram);
    setFloat("TimeStep", dt * 5);
}

static void bindParticleAttributes(GLuint buffer)
{
    const GLsizei stride = sizeof(ParticleVertex);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glEnableVertexAttribArray(PositionAttribute);
    glEnableVertexAttribArray(BirthTimeAttribute);
    glEnableVertexAttribArray(VelocityAttribute);
    glVertexAttribPointer(PositionAttribute, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(ParticleVertex, position)));
    glVertexAttribPointer(BirthTimeAttribute, 1, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(ParticleVertex, birthTime)));
    glVertexAttribPointer(VelocityAttribute, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(ParticleVertex, velocity)));
}

static void disableParticleAttributes()
{
    glDisableVertexAttribArray(PositionAttribute);
    glDisableVertexAttribArray(BirthTimeAttribute);
    glDisableVertexAttribArray(VelocityAttribute);
}

static void simulate()
{
    glEnable(GL_RASTERIZER_DISCARD);
    bindParticleAttributes(sourceBuffer);
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, destinationBuffer);
    glBeginTransformFeedback(GL_POINTS);
    glDrawArrays(GL_POINTS, 0, GLsizei(particleCount));
    glEndTransformFeedback();
    if (!KeepsFeedbackBinding)
        glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    disableParticleAttributes();
    glDisable(GL_RASTERIZER_DISCARD);
    std::swap(sourceBuffer, destinationBuffer);
}

static void drawParticles(const SceneState& scene)
{
    glBindFramebuffer(GL_FRAMEBUFFER, particleSurface.framebuffer);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, backgroundSurface.depthTexture);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);

    glUseProgram(particleProgram);
    setFloat("Time", static_cast<float>(scene.time));
    setMatrix4("ModelviewProjection", scene.modelviewProjection);
    setMatrix3("Modelview", upper3x3(scene.view));
    setVector3("mLoc", scene.mouseX, scene.mouseY, 0);
    setFloat("mUp", scene.mouseUp);

    bindParticleAttributes(sourceBuffer);
    glDrawArrays(GL_POINTS, 0, GLsizei(particleCount));

    disableParticleAttributes();
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_DEPTH_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

static void composite()
{
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, backgroundSurface.colorTexture);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, particleSurface.colorTexture);

    glUseProgram(compositeProgram);
    setInt("BackgroundSampler", 0);
    setInt("ParticlesSampler", 1);
    drawMesh(quad);

    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glEnable(GL_DEPTH_TEST);
}

void render()
{
    const SceneState& scene = sceneState();

    glBindFramebuffer(GL_FRAMEBUFFER, backgroundSurface.framebuffer);
    glClearColor(0.5f, 0.5f, 0.5f, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glUseProgram(feedbackProgram);
    setFloat("Time", static_cast<float>(scene.time));
    setVector3("mLoc", scene.mouseX, scene.mouseY, 0);
    setFloat("explosion", scene.explosion);
    setFloat("mUp", scene.mouseUp);
    clearExplosion();

    simulate();
    drawParticles(scene);
    composite();
}
