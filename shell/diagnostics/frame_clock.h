#pragma once

#include <cstdint>

// The high-resolution timer as the frame loop sees it: counts per second and
// the reading taken at the end of the previous frame.
struct FrameClock {
    int64_t frequency;
    int64_t previousReading;
};

// Elapsed microseconds since the previous reading, which `now` replaces. The
// value is formed in floating point, truncated to 64 bits and handed on as its
// low 32 bits, so a stall of more than about 71 minutes wraps.
uint32_t takeElapsedMicroseconds(FrameClock* clock, int64_t now);
