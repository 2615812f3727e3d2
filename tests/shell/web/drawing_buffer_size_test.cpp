#include "shell/web/drawing_buffer_size.h"

#include <gtest/gtest.h>

// The page's drawing buffer: the laid-out device pixels, scaled down as a
// whole only where the longer side passes the GL's limit.
TEST(DrawingBufferSize, KeepsTheLayoutWithinTheLimitAndItsShapeBeyondIt)
{
    struct Row {
        DrawingBufferSize laidOut;
        int largestSide;
        DrawingBufferSize expected;
    };
    const Row rows[] = {
        {{1170, 1170}, 4096, {1170, 1170}},        // a phone at 3x
        {{4096, 4096}, 4096, {4096, 4096}},        // at the limit itself
        {{4097, 4097}, 4096, {4096, 4096}},        // one past it
        {{7680, 4320}, 4096, {4096, 2304}},        // a large 8K-class screen, wider than high
        {{2160, 7680}, 4096, {1152, 4096}},        // and higher than wide
        {{200000, 150000}, 16384, {16384, 12288}}, // a side times the limit overflows an int
        {{0, 0}, 4096, {1, 1}},                    // a canvas not laid out yet
        {{9000, 1}, 4096, {4096, 1}},              // a sliver keeps a pixel
    };
    for (const Row& row : rows) {
        const DrawingBufferSize size = boundedDrawingBuffer(row.laidOut, row.largestSide);
        EXPECT_EQ(size.width, row.expected.width) << row.laidOut.width << "x" << row.laidOut.height;
        EXPECT_EQ(size.height, row.expected.height) << row.laidOut.width << "x" << row.laidOut.height;
    }
}
