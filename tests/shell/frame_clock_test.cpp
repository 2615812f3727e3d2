#include "shell/diagnostics/frame_clock.h"

#include <gtest/gtest.h>

TEST(FrameClock, ConvertsCountsToMicrosecondsAndKeepsTheNewReading)
{
    FrameClock clock = {10000000, 5000};
    EXPECT_EQ(takeElapsedMicroseconds(&clock, 5000 + 166667), 16666u);
    EXPECT_EQ(clock.previousReading, 5000 + 166667);
    EXPECT_EQ(takeElapsedMicroseconds(&clock, clock.previousReading), 0u);
}

// Guards an overflow: counts times a million exceeds 64 bits for large counts
// unless the product is formed in floating point.
TEST(FrameClock, LongStallsWrapToTheLow32BitsOfTheMicroseconds)
{
    FrameClock clock = {1000000000, 0};
    int64_t fiveThousandSeconds = 5000LL * 1000000000LL;
    EXPECT_EQ(takeElapsedMicroseconds(&clock, fiveThousandSeconds),
              static_cast<uint32_t>(5000ULL * 1000000ULL % (1ULL << 32)));
}

TEST(FrameClock, TruncatesFractionsOfAMicrosecondTowardZero)
{
    FrameClock clock = {3, 0};
    EXPECT_EQ(takeElapsedMicroseconds(&clock, 1), 333333u);
    EXPECT_EQ(takeElapsedMicroseconds(&clock, 3), 666666u);
}
