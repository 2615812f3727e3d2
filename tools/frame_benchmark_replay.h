#pragma once

#include "frame_benchmark_png.h"

// A deterministic run of the demo: a fixed step per frame and a scripted
// drag (press, a path with the button held, release), the same on every
// machine, so that its last frame can be compared with a reference picture.

constexpr int ReplayFrameCount = 36;
constexpr int ReplayStepMicroseconds = 50000;

// Swaps the current context's buffers.
using SwapBuffers = void (*)();

// Initialises the demo in the current context, with "../assets/" holding the
// effect file, runs the scripted frames through the host's frame step and
// returns the last frame as it was presented.
RgbImage replayScriptedRun(SwapBuffers swap);
