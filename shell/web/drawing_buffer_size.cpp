#include "shell/web/drawing_buffer_size.h"

#include <algorithm>
#include <cstdint>

DrawingBufferSize boundedDrawingBuffer(DrawingBufferSize laidOut, int largestSide)
{
    const int longer = std::max(laidOut.width, laidOut.height);
    if (longer > largestSide) {
        // In 64 bits: a side of a hundred thousand pixels times the limit
        // overflows an int.
        laidOut.width = int(int64_t(laidOut.width) * largestSide / longer);
        laidOut.height = int(int64_t(laidOut.height) * largestSide / longer);
    }
    return {std::max(laidOut.width, 1), std::max(laidOut.height, 1)};
}
