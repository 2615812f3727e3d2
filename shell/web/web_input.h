#pragma once

#include "shell/host.h"

// Routes the canvas's pointer events to the demo: the mouse's left button, a
// finger or a pen held on the canvas, and their movement, become mouse events
// for handler; Escape (anywhere on the page) a quit request. canvasSelector
// names the canvas as the page does ("#canvas"); positions reach the demo in
// the pixels of the canvas's drawing buffer, drawingWidth by drawingHeight.
void connectInput(const char* canvasSelector, MouseHandler handler, int drawingWidth, int drawingHeight);

// The drawing buffer has a new size: positions are clamped to it from now on.
void resizeInput(int drawingWidth, int drawingHeight);

bool quitRequested();
