#pragma once

#include "shell/run/frame_loop.h"

#include <cstdint>

// What the page shows of a run besides the picture: the frame rate and the
// frame time in a small overlay, and a benchmark's results with its stats
// file to download.

// Counts from now; the first figures come a second later.
void startFrameFigures(const FrameLoop& loop, int64_t now);
// Once a second: the frames presented since the figures were last shown.
void showFrameFigures(const FrameLoop& loop, int64_t now);
// The report the run printed, and its stats as JSON to download, also on the
// console as one message.
void showBenchmarkResults(const FrameLoop& loop);

// A line under the picture; empty clears it.
void showStatus(const char* text);
