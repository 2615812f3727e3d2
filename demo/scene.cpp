#include "demo/scene.h"

// Simulation time runs at a tenth of wall-clock time.
static constexpr double SecondsPerMicrosecond = 1e-7;
// The window's height spans [-2.8, 2.8) view units at any size: 0.00546875
// units per pixel in the 1024-pixel window.
static constexpr float ViewUnitsPerHeight = 5.6f;
// The frustum's half extent at the near plane, vertically; horizontally it
// grows with the window's aspect so that a wide window sees more, unstretched.
static constexpr float FrustumHalfHeight = 0.4f;

static AppConfig config = {"Vanteel", DefaultWindowWidth, DefaultWindowHeight, 0, 0};
static SceneState scene = {0.0, 0.0f, 0.0f, 0.0f, 1.0f, {}, {}, {}, DefaultWindowWidth, DefaultWindowHeight};

AppConfig appConfig() { return config; }

void resizeScene(int width, int height)
{
    config.width = width;
    config.height = height;
    scene.viewportWidth = width;
    scene.viewportHeight = height;
}

const SceneState& sceneState() { return scene; }

float advance(uint32_t elapsedMicroseconds)
{
    float dt = static_cast<float>(elapsedMicroseconds * SecondsPerMicrosecond);
    scene.time += dt;
    const float halfWidth = FrustumHalfHeight * float(scene.viewportWidth) / float(scene.viewportHeight);
    scene.projection = frustum(-halfWidth, halfWidth, -FrustumHalfHeight, FrustumHalfHeight, 2.0f, 500.0f);
    scene.view = lookAt({0, 0, 14}, {0, 0, 0}, {0, 1, 0});
    scene.modelviewProjection = multiply(scene.projection, scene.view);
    return dt;
}

static void moveMouseTo(int x, int y)
{
    int halfWidth = scene.viewportWidth / 2;
    int halfHeight = scene.viewportHeight / 2;
    const float unitsPerPixel = ViewUnitsPerHeight / float(scene.viewportHeight);
    scene.mouseX = static_cast<float>(x - halfWidth) * unitsPerPixel;
    scene.mouseY = static_cast<float>(halfHeight - y) * unitsPerPixel;
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
