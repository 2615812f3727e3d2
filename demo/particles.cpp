#include "demo/particles.h"

#include "demo/programs.h"
#include "demo/scene.h"
#include "demo/surfaces.h"

#include <GL/glew.h>

#include <cstddef>
#include <utility>
#include <vector>

static constexpr int SurfaceSize = 1024;
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
static constexpr GLsizeiptr ParticleBufferBytes = GLsizeiptr(ParticleCount) * sizeof(ParticleVertex);
static_assert(ParticleBufferBytes == 19600000, "both particle buffers hold exactly 700,000 records");

static Surface particleSurface;
static Surface backgroundSurface;
static Mesh quad;
static GLuint feedbackProgram;
static GLuint compositeProgram;
static GLuint particleProgram;
// Swapped after every simulation pass, so sourceBuffer always names the newest particles.
static GLuint sourceBuffer;
static GLuint destinationBuffer;

ParticleBufferNames particleBufferNames() { return {sourceBuffer, destinationBuffer}; }

static GLuint createParticleBuffer(const void* data)
{
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, ParticleBufferBytes, data, GL_STREAM_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return buffer;
}

void initialise()
{
    particleSurface = createSurface(SurfaceSize, SurfaceSize);
    backgroundSurface = createSurface(SurfaceSize, SurfaceSize);
    quad = createQuad(-1, 1, 1, -1);

    compositeProgram = buildProgram("Composite.VS", nullptr, "Composite.FS");
    particleProgram = buildProgram("Particle.VS", ParticleGeometryKey, "Particle.FS");
    setFloat("PointSize", PointSize);
    feedbackProgram = buildProgram("tf.VS", nullptr, nullptr);

    glEnable(GL_DEPTH_TEST);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE_MINUS_SRC_ALPHA);

    // The shaders give every particle its first life from these zero records.
    std::vector<ParticleVertex> unborn(ParticleCount, ParticleVertex {});
    sourceBuffer = createParticleBuffer(unborn.data());
    destinationBuffer = createParticleBuffer(nullptr);
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
    glDrawArrays(GL_POINTS, 0, ParticleCount);
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
    glDrawArrays(GL_POINTS, 0, ParticleCount);

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
