#include "shell/diagnostics.h"

#include "shell/diagnostics/debug_output.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <new>

static void formatAndWrite(const char* format, va_list arguments)
{
    char message[MaxDebugMessageLength + 1] = {};
#if defined(_WIN32)
    // The Windows formatter leaves a truncated message unterminated; the
    // zeroed last byte, never handed to it, terminates it.
    _vsnprintf(message, MaxDebugMessageLength, format, arguments);
#else
    std::vsnprintf(message, sizeof message, format, arguments);
#endif
    writeDebugOutput(message);
}

void debugPrint(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    formatAndWrite(format, arguments);
    va_end(arguments);
}

[[noreturn]] static void reportAndExit(const char* format, va_list arguments)
{
    formatAndWrite(format, arguments);
    writeDebugOutput("\n");
    std::exit(1);
}

void fatalError(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    reportAndExit(format, arguments);
}

void checkCondition(int condition, const char* format, ...)
{
    if (condition)
        return;
    va_list arguments;
    va_start(arguments, format);
    reportAndExit(format, arguments);
}

void makeOutOfMemoryFatal()
{
    std::set_new_handler([] { fatalError("Out of memory.\n"); });
}
