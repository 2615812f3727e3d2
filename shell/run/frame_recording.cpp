#include "shell/run/frame_recording.h"

#include "shell/diagnostics.h"
#include "shell/run/screenshot.h"

#include <GL/glew.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

FrameRecording startFrameRecording(const char* directory)
{
    FrameRecording recording = {};
    recording.directory = directory;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::u8path(directory), error);
    checkCondition(!error, "Cannot make the directory %s to record into: %s.\n", directory, error.message().c_str());
    return recording;
}

bool recordedFramePath(char* path, size_t size, const char* directory, int64_t frameNumber)
{
    const int length = std::snprintf(path, size, "%s/frame-%06lld.png", directory, static_cast<long long>(frameNumber));
    return length >= 0 && size_t(length) < size;
}

void recordFrame(FrameRecording* recording, int64_t frameNumber, int width, int height)
{
    checkCondition(recordedFramePath(recording->path, sizeof recording->path, recording->directory, frameNumber),
                   "The directory name %s is too long to record into.\n", recording->directory);
    readWindowPixelsInto(GL_BACK, width, height, &recording->pixels);
    checkCondition(writeScreenshot(recording->path, recording->pixels, width, height), "Cannot write the frame %s.\n",
                   recording->path);
}
