#pragma once

#include "shell/host.h"
#include "shell/web/drawing_buffer_size.h"

// The canvas's size. The page lays it out as large as the window allows in
// the demo's shape; its drawing buffer covers the device pixels of that
// layout, so the picture is sharp on any screen, and follows the layout when
// the window or the screen's density changes. canvasSelector names the
// canvas ("#canvas").

// With the context current, before the demo is initialised: shapes the
// canvas like the demo's configured size and resizes the demo to the device
// pixels it is laid out over; returns that size.
DrawingBufferSize fitCanvasToLayout(const char* canvasSelector, Demo demo);

// Watches the canvas's layout from now on.
void watchCanvasLayout(const char* canvasSelector);

// Before a frame: resizes the demo, its surfaces included, and the input's
// bounds to a layout that changed since the last frame.
void followCanvasLayout(const char* canvasSelector, Demo demo);
