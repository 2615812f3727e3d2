#pragma once

#include "shell/diagnostics/frame_clock.h"
#include "shell/host.h"

#include <cstdint>

// Shows the back buffer; each host supplies its own.
using PresentFrame = void (*)();

// One frame of the main loop, the same on every platform: the time since the
// previous frame goes to update, then render, present, and any OpenGL error
// left pending is fatal. `now` is the timer reading taken for this frame.
void runFrame(Demo demo, FrameClock* clock, int64_t now, PresentFrame present);

// Its two halves, for a loop that reads the back buffer between them.
void updateAndRender(Demo demo, FrameClock* clock, int64_t now);
void presentAndCheck(PresentFrame present);
