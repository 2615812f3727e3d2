#pragma once

#include "effect_watch.h"
#include "frame_clock.h"
#include "frame_step.h"
#include "host.h"

#include <cstdint>
#include <vector>

// The part of the main loop that every host shares: what one frame does under
// the run's options (the measured or the fixed step, the frame limit, the
// benchmark's timing, the effect-file watch, the screenshot), and when the run
// is over. A host creates its window and context, initialises the demo, then
// calls runLoopFrame whenever no event is pending until loopOver says so, and
// ends with finishFrameLoop.
using ReadTimer = int64_t (*)();

struct FrameLoop {
    Demo demo;
    RunOptions options;
    ReadTimer readTimer;
    FrameClock clock;      // the timer, for the frames' elapsed time
    FrameClock fixedClock; // counts microseconds, moved on by the fixed step
    int64_t startReading;  // the timer at start-up
    int64_t framesPresented;
    int64_t previousFrameEnd;
    int64_t measureFrom; // the benchmark counts frames that end after this reading
    double firstFrameSeconds;
    std::vector<double> frameMilliseconds; // reserved up front
    EffectWatch watch;
    std::vector<unsigned char> screenshot; // RGB rows, bottom row first; empty until taken
    bool over;
};

// clock: the timer's frequency and its reading once the demo is initialised;
// startReading: the reading as the host started.
FrameLoop startFrameLoop(Demo demo, const RunOptions& options, ReadTimer readTimer, FrameClock clock,
                         int64_t startReading);
void runLoopFrame(FrameLoop* loop, PresentFrame present);
bool loopOver(const FrameLoop& loop);
// The screenshot and the benchmark's report; returns the exit status.
int finishFrameLoop(FrameLoop* loop);
