#pragma once

#include <cstdint>

// One measured run of the demo in this process: the host's window, context
// and frame step, the demo's initialise, update and render, with the effect
// file that "../assets/" holds from the working directory. Prints, on
// standard output, the renderer, the moment the first frame was presented
// (CLOCK_MONOTONIC nanoseconds) and one line per measured frame:
//   frame <wall ms> <event poll ms> <GPU ms of background, simulation, particles, composite>
//         <ms issuing background, simulation, particles, composite>
// and the process's CPU time per measured frame, all threads together:
//   cpu <ms>
void runMeasuredFrames(int warmupFrames, int measuredFrames);

// Prints the renderer of the display's default context and returns.
void printRenderer();

// Every update of a measured or replayed run advances by this fixed step, so
// runs simulate the same thing whatever the machine's speed.
constexpr int64_t BenchmarkStepMicroseconds = 16667;

// CLOCK_MONOTONIC now, shared across processes.
int64_t monotonicNanoseconds();
