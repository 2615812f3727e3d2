#pragma once

// The canvas's drawing buffer: the device pixels the page lays it out over,
// scaled down as a whole where a side would exceed what the GL can render
// to, so a large high-density screen gets the most the GL allows in the
// same shape. Never below one pixel a side.
struct DrawingBufferSize {
    int width, height;
};

DrawingBufferSize boundedDrawingBuffer(DrawingBufferSize laidOut, int largestSide);
