#include "shell/diagnostics/frame_clock.h"

uint32_t takeElapsedMicroseconds(FrameClock* clock, int64_t now)
{
    int64_t elapsedCounts = now - clock->previousReading;
    clock->previousReading = now;
    double microseconds = static_cast<double>(elapsedCounts) * 1000000.0 / static_cast<double>(clock->frequency);
    return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(microseconds)));
}
