#include "shell/diagnostics/debug_output.h"

#include <windows.h>

void writePlatformDebugOutput(const char* text) { OutputDebugStringA(text); }
