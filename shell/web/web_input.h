#pragma once

#include "shell/host.h"

// Routes the canvas's events to the demo: the left button and the pointer
// become mouse events for handler, Escape (anywhere on the page) a quit
// request. canvasSelector names the canvas as the page does ("#canvas").
void connectInput(const char* canvasSelector, MouseHandler handler, int clientWidth, int clientHeight);

bool quitRequested();
