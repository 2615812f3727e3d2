#include "demo/scene.h"

// Simulation time runs at a tenth of wall-clock time.
static constexpr double SecondsPerMicrosecond = 1e-7;
// Maps a 1024-pixel window onto [-2.8, 2.8) view units.
static constexpr float MouseScale = 0.00546875f;

static SceneState scene = {0.0, 0.0f, 0.0f, 0.0f, 1.0f, {}, {}, {}, 1024, 1024};

AppConfig appConfig() { return {"Vanteel", 1024, 1024, 0, 0}; }

const SceneState& sceneState() { return scene; }

float advance(uint32_t elapsedMicroseconds)
{
    float dt = static_cast<float>(elapsedMicroseconds * SecondsPerMicrosecond);
    scene.time += dt;
    scene.projection = frustum(-0.4f, 0.4f, -0.4f, 0.4f, 2.0f, 500.0f);
    scene.view = lookAt({0, 0, 14}, {0, 0, 0}, {0, 1, 0});
    scene.modelviewProjection = multiply(scene.projection, scene.view);
    return dt;
}

static void moveMouseTo(int x, int y)
{
    int halfWidth = scene.viewportWidth / 2;
    int halfHeight = scene.viewportHeight / 2;
    scene.mouseX = static_cast<float>(x - halfWidth) * MouseScale;
    scene.mouseY = static_cast<float>(halfHeight - y) * MouseScale;
}

void handleMouse(int x, int y, MouseEvent kind)
{
    switch (kind) {
    case MouseDown:
        moveMouseTo(x, y);
        scene.explosion = 0.0f;
        scene.mouseUp = 0.0f;
        break;
    case MouseUp:
        scene.explosion = 1.0f;
        scene.mouseUp = 1.0f;
        break;
    case MouseMove:
        moveMouseTo(x, y);
        break;
    default:
        // A double click's second press is deliberately not a press.
        break;
    }
}

void clearExplosion() { scene.explosion = 0.0f; }
