#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// --record: every presented frame saved as a numbered PNG, so that a tool can
// make a video of the run. One image buffer serves every frame.
struct FrameRecording {
    const char* directory; // null: not recording
    std::vector<unsigned char> pixels;
    char path[4096];
};

// Makes the directory where missing (fatal when it cannot be made).
FrameRecording startFrameRecording(const char* directory);

// DIR/frame-000001.png for frame 1; the number grows past six digits rather
// than wrapping. False when the path would not fit in size bytes.
bool recordedFramePath(char* path, size_t size, const char* directory, int64_t frameNumber);

// The back buffer, width by height, read before it is presented and written
// as frame frameNumber (fatal when the file cannot be written).
void recordFrame(FrameRecording* recording, int64_t frameNumber, int width, int height);
