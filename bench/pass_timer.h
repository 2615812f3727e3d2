#pragma once

// GPU time of each pass of render(), measured with GL_TIME_ELAPSED queries
// that are read back a few frames later so that timing never stalls the
// pipeline. render() itself knows nothing of this: the timer wraps GLEW's
// entry points in its own process (the in-process measurement, never the
// demo's executable) and recognises the pass boundaries from the calls
// render() makes anyway.

enum TimedPass { BackgroundPass, SimulationPass, ParticlePass, CompositePass, TimedPassCount };

inline const char* const TimedPassNames[TimedPassCount] = {"background", "simulation", "particles", "composite"};

// Once the demo is initialised, so that only frames open passes.
void installPassTimer();

// Called as render() returns: closes the composite pass, which ends with
// render() itself.
void closeFramePasses();

// Milliseconds per pass of one frame: GPU time, and the time the frame's
// thread spent issuing the pass. A software renderer shades vertices on
// that thread while it issues the draw, so there the second figure holds the
// vertex and geometry work that the GPU timer misses.
struct PassTimes {
    double milliseconds[TimedPassCount];
    double issueMilliseconds[TimedPassCount];
};

// The oldest frame whose queries are due (ready or at least three frames
// old); false when none is. Call after every frame, and with drain set once
// the last frame is presented to collect the frames still in flight.
bool takeFinishedFrame(PassTimes* times, bool drain);

// How often a result was not yet available when it fell due, so that reading
// it waited on the GPU.
int passTimerStalls();
