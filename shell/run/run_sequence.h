#pragma once

#include "shell/run/frame_loop.h"
#include "shell/host.h"

// The one run sequence, in three steps that every host drives through its
// platform table: startRun once, runStep until it says the run is over,
// finishRun once. A desktop host loops runStep itself (runHost); the browser
// calls it from its animation frames.

// The window and its context, the demo initialised in them, and the frame
// loop started.
void startRun(Demo demo, const RunOptions& options);

// Handles the pending events or, when there are none, draws one frame;
// returns whether the run goes on.
bool runStep();

// The end of every run: the screenshot, the benchmark's report and the exit
// status, which it returns (1, saying why, when the run did not deliver what
// its options asked for).
int finishRun();

// The run's frame loop, owned by the sequence from startRun on: for a host
// that shows its figures, or starts its clock again.
FrameLoop* runningLoop();
