#include "shell/diagnostics/debug_output.h"

static DebugOutputSink currentSink = writePlatformDebugOutput;

void writeDebugOutput(const char* text) { currentSink(text); }

DebugOutputSink replaceDebugOutputSink(DebugOutputSink sink)
{
    DebugOutputSink previous = currentSink;
    currentSink = sink ? sink : writePlatformDebugOutput;
    return previous;
}
