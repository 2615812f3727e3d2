#include "shell/diagnostics/debug_output.h"

#include <cstdio>

// Platforms without a debugger channel show diagnostics on standard error.
void writePlatformDebugOutput(const char* text)
{
    std::fputs(text, stderr);
    std::fflush(stderr);
}
