#pragma once

// The debugger output channel: one call per message, so a reader (a debugger,
// or a test) sees each write separately.
using DebugOutputSink = void (*)(const char* text);

void writeDebugOutput(const char* text);

// Redirects every later write; returns the sink it replaced so it can be restored.
DebugOutputSink replaceDebugOutputSink(DebugOutputSink sink);

// The platform's own channel; defined once per platform.
void writePlatformDebugOutput(const char* text);
