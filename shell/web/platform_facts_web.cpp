#include "shell/run/platform_facts.h"

#include <emscripten/emscripten.h>

// A page is given no clock of its process's CPU time. Emscripten's browser
// runtime refuses CLOCK_PROCESS_CPUTIME_ID, and its WASI clocks answer it
// with the wall clock, which would pass the frame time off as CPU time.
std::optional<double> processCpuSeconds() { return std::nullopt; }

// clang-format off
// What the browser says of the system beneath it and of itself: the only
// account a page has (Emscripten's own uname names only its runtime).
EM_JS(void, describeBrowserSystem, (char* text, int size), {
    stringToUTF8((navigator.platform || 'unknown system') + '; ' + navigator.userAgent, text, size);
});
// clang-format on

std::string operatingSystemDescription()
{
    char description[512];
    describeBrowserSystem(description, sizeof description);
    return description;
}
