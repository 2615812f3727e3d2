#pragma once

#include "demo/vector_math.h"

#include <cstdint>

struct AppConfig {
    const char* title;
    int width;
    int height;
    int multisampling;
    int verticalSync;
};

// How many particles the demo simulates unless asked for another count. A
// thousand still show the arms; the most keeps one buffer of 28-byte records
// within a 32-bit GLsizeiptr and every index within gl_VertexID.
constexpr int64_t DefaultParticleCount = 700000;
constexpr int64_t MinimumParticleCount = 1000;
constexpr int64_t MaximumParticleCount = INT32_MAX / 28;

// Single bits, as the hosts deliver them.
enum MouseEvent : int {
    MouseDown = 1,
    MouseUp = 2,
    MouseMove = 4,
    MouseDoubleClick = 32,
};

struct SceneState {
    // Seconds of simulation time. Summed in double: at thousands of frames per
    // second a float clock would stop advancing after a few hours, once each
    // step fell below half a unit in its last place. Uploaded as a float.
    double time;
    float mouseX, mouseY; // view units, uploaded as "mLoc"
    float explosion;      // 1 for the one frame after a release
    float mouseUp;        // 0 while the left button is held
    Matrix4 projection;
    Matrix4 view; // also the modelview: the model transform is the identity
    Matrix4 modelviewProjection;
    int viewportWidth, viewportHeight;
};

// The window the demo asks for until resized.
constexpr int DefaultWindowWidth = 1024;
constexpr int DefaultWindowHeight = 1024;
AppConfig appConfig();
// The window's client size in pixels, which the projection's aspect and the
// mouse mapping follow; the offscreen surfaces follow it in resize().
void resizeScene(int width, int height);

// Advances the clock and recomputes the camera; returns the step in seconds.
float advance(uint32_t elapsedMicroseconds);
void handleMouse(int x, int y, MouseEvent kind);
void clearExplosion();

const SceneState& sceneState();
