#pragma once

#include "demo/scene.h"

struct GLFWwindow;

// Starts GLFW; without a display to connect to this is fatal.
void startWindowSystem();

// The primary monitor's place on the desktop and its resolution.
struct ScreenArea {
    int left, top, width, height;
};
ScreenArea primaryScreenArea();

// The one demo window, borderless, centred on the primary monitor (its top-left
// corner kept on screen), with its
// OpenGL context current. A core profile is asked for only when coreProfile
// is set; otherwise the context is made the legacy way.
GLFWwindow* createDemoWindow(AppConfig config, int coreProfile);

// A 3.2 core context, the only kind some platforms offer, for the host's
// next window: the tests' own start-up asks for it; the demo never does.
void askForCoreProfile();
bool coreProfileAskedFor();
