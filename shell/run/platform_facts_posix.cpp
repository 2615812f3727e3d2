#include "shell/run/platform_facts.h"

#include <sys/utsname.h>

#include <ctime>

std::optional<double> processCpuSeconds()
{
    timespec time = {};
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time) != 0)
        return std::nullopt;
    return double(time.tv_sec) + double(time.tv_nsec) * 1e-9;
}

std::string operatingSystemDescription()
{
    utsname names = {};
    if (uname(&names) != 0)
        return "unknown";
    return std::string(names.sysname) + " " + names.release + " " + names.machine;
}
