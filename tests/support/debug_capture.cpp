#include "debug_capture.h"

#include "shell/diagnostics/debug_output.h"

static std::vector<std::string> capturedWrites;
static DebugOutputSink previousSink;

static void capture(const char* text) { capturedWrites.emplace_back(text); }

DebugCapture::DebugCapture()
{
    capturedWrites.clear();
    previousSink = replaceDebugOutputSink(capture);
}

DebugCapture::~DebugCapture() { replaceDebugOutputSink(previousSink); }

const std::vector<std::string>& DebugCapture::writes() const { return capturedWrites; }
