#pragma once

#include "demo/scene.h"
#include "demo/vector_math.h"

#include <cstdint>

// One particle as both GPU buffers hold it: 28 bytes, no padding.
struct ParticleVertex {
    Vector3 position;
    float birthTime;
    Vector3 velocity;
};
static_assert(sizeof(ParticleVertex) == 28, "the shaders read 28-byte particle records");

static_assert(MaximumParticleCount * int64_t(sizeof(ParticleVertex)) <= INT32_MAX,
              "one particle buffer's size fits a 32-bit GLsizeiptr");

// Before initialise: how many particles to simulate (fatal outside the bounds).
void useParticleCount(int64_t count);
int64_t particlesSimulated();

// The window's new client size: the scene's projection and mouse mapping
// follow it, and after initialise so do the offscreen surfaces, made anew.
void resize(int width, int height);

// The demo's entry points, called by the host: initialise once the context
// is current and GLEW is loaded, then update and render once per frame.
void initialise();
void update(uint32_t elapsedMicroseconds);
void render();
// Builds the three programs anew from the effect file as it is now. Only when
// all three build do they replace the ones in use; otherwise the reasons are
// printed and the demo goes on as before. The particles carry on either way.
void reloadShaders();
