#pragma once

#include "shell/run/benchmark_report.h"
#include "shell/diagnostics/debug_output.h"
#include "shell/run/effect_watch.h"
#include "shell/diagnostics/frame_clock.h"
#include "shell/run/frame_recording.h"
#include "shell/host.h"

#include <cstdint>
#include <optional>
#include <vector>

// What one frame does under the run's options (the measured or the fixed
// step, the frame limit, the benchmark's timing, the effect-file watch, the
// screenshot), and when the run is over. The one run sequence
// (run_sequence.h) starts it once the demo is initialised, runs a frame
// whenever no event is pending until loopOver says so, and ends with
// finishFrameLoop.
using ReadTimer = int64_t (*)();
// Shows the back buffer; each host supplies its own.
using PresentFrame = void (*)();

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
    std::optional<double> previousFrameCpuSeconds;
    BenchmarkFigures benchmark; // its frame lists reserved up front
    EffectWatch watch;
    DebugOutputSink debugOutputBeforeWatch;
    std::vector<unsigned char> screenshot; // RGB rows, bottom row first; empty until taken
    FrameRecording recording;
    bool over;
};

// Starts the loop in place, where it stays until the run ends. clock: the
// timer's frequency and its reading once the demo is initialised;
// startReading: the reading as the host started; swapInterval: the one in
// force, or -1 where the driver cannot say.
void startFrameLoop(FrameLoop* loop, Demo demo, const RunOptions& options, ReadTimer readTimer, FrameClock clock,
                    int64_t startReading, int swapInterval);
// One frame: the time since the previous one goes to update, then render and
// present; any OpenGL error left pending after presenting is fatal.
void runLoopFrame(FrameLoop* loop, PresentFrame present);
bool loopOver(const FrameLoop& loop);

// How the loop ended: the window still there, or destroyed by the system
// (closed from the task bar, or by another X client) with nothing left to read.
enum class LoopEnd { WindowOpen, WindowGone };

// The screenshot and the benchmark's report; returns the exit status: 1,
// saying why, when the run did not deliver what its options asked for.
int finishFrameLoop(FrameLoop* loop, LoopEnd end);
