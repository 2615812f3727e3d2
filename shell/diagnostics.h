#pragma once

// Every failure the program detects ends here: a formatted message on the
// debugger output channel and, for fatal ones, exit status 1.

#if defined(__GNUC__)
#define VANTEEL_PRINTF_FORMAT(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define VANTEEL_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

// Messages longer than this many characters are cut, never rejected.
constexpr int MaxDebugMessageLength = 1023;

void debugPrint(const char* format, ...) VANTEEL_PRINTF_FORMAT(1, 2);

[[noreturn]] void fatalError(const char* format, ...) VANTEEL_PRINTF_FORMAT(1, 2);

// A zero condition is fatal; otherwise nothing is formatted or written.
// Text the program did not write itself (a compiler log) must go through "%s".
void checkCondition(int condition, const char* format, ...) VANTEEL_PRINTF_FORMAT(2, 3);

// Makes a failed C++ allocation fatal like any other failure, with a message
// and status 1, instead of ending the process through std::terminate.
void makeOutOfMemoryFatal();
