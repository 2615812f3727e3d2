#include "shell/diagnostics/debug_output.h"

#include <emscripten/emscripten.h>

// The page's console is the debugger output channel, one message per write.
// The page also keeps the last message, to show it in place of the canvas if
// the run then ends with a failure.
// clang-format off
EM_JS(void, writeToPage, (const char* text), { Module.debugOutput(UTF8ToString(text)); });
// clang-format on

void writePlatformDebugOutput(const char* text) { writeToPage(text); }
