#pragma once

#include "shell/host.h"
#include "shell/web/drawing_buffer_size.h"

// The canvas's size. The page lays it out as large as the window allows in
// the demo's shape. Unless the command line gave a size, its drawing buffer
// covers the device pixels of that layout, so the picture is sharp on any
// screen, and follows the layout when the window or the screen's density
// changes; a size given stays the buffer's, scaled to the layout by the
// browser, so that runs on different screens draw the same pixels.
// canvasSelector names the canvas ("#canvas").

// With the context current, before the demo is initialised: shapes the
// canvas like the demo's configured size and, where the layout decides,
// resizes the demo to the device pixels the canvas is laid out over and
// watches the layout from then on; returns the drawing buffer's size.
DrawingBufferSize fitCanvasToLayout(const char* canvasSelector, Demo demo);

// Before a frame: resizes the demo, its surfaces included, and the input's
// bounds to a layout that changed since the last frame.
void followCanvasLayout(const char* canvasSelector, Demo demo);
