#pragma once

#include "shell/host.h"

struct GLFWwindow;

// Routes the window's events to the demo: the left button and the pointer
// become mouse events for handler, Escape a quit request.
void connectInput(GLFWwindow* window, MouseHandler handler, int clientWidth, int clientHeight);

// How many events reached the input handlers since the previous call; the
// main loop draws no frame in an iteration that handled any.
int takeHandledEventCount();

bool quitRequested();
