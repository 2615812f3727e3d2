#pragma once

#include "demo/scene.h"
#include "shell/run/host_platform.h"

struct GLFWwindow;

// Starts GLFW; without a display to connect to this is fatal.
void startWindowSystem();

// The primary monitor's place on the desktop and its resolution.
struct ScreenArea {
    int left, top, width, height;
};
ScreenArea primaryScreenArea();

// The one demo window, borderless, centred on the primary monitor (its
// top-left corner kept on screen), with its OpenGL context current: a 3.2
// core context where the request asks for one, the legacy kind otherwise.
GLFWwindow* createDemoWindow(AppConfig config, WindowRequest request);
