#include "shell/run/platform_facts.h"

#include <sys/utsname.h>

// A page is given no clock of its process's CPU time. Emscripten's browser
// runtime refuses CLOCK_PROCESS_CPUTIME_ID, and its WASI clocks answer it
// with the wall clock, which would pass the frame time off as CPU time.
std::optional<double> processCpuSeconds() { return std::nullopt; }

// Emscripten's own name for the system and the WebAssembly machine: a page
// learns nothing of the system beneath the browser.
std::string operatingSystemDescription()
{
    utsname names = {};
    if (uname(&names) != 0)
        return "unknown";
    return std::string(names.sysname) + " " + names.release + " " + names.machine;
}
