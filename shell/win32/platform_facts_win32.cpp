#include "shell/run/platform_facts.h"

#include <windows.h>

#include <cstdio>

std::optional<double> processCpuSeconds()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return std::nullopt;
    auto ticks = [](FILETIME time) { return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime; };
    // FILETIME counts 100-nanosecond intervals.
    return double(ticks(kernel) + ticks(user)) * 1e-7;
}

std::string operatingSystemDescription()
{
    // GetVersionEx answers what the manifest claims to support; ntdll's own
    // call reports the version that is really running.
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    // Through the generic function type, which GCC accepts any pointer from.
    FARPROC found = ntdll ? GetProcAddress(ntdll, "RtlGetVersion") : nullptr;
    auto getVersion = reinterpret_cast<GetVersion>(reinterpret_cast<void (*)()>(found));
    SYSTEM_INFO system = {};
    GetNativeSystemInfo(&system);
    const char* processor = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ? "x86_64"
        : system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL                   ? "x86"
                                                                                          : "other";
    char text[96];
    if (getVersion == nullptr || getVersion(&version) != 0)
        std::snprintf(text, sizeof text, "Windows %s (%d-bit program)", processor, int(sizeof(void*) * 8));
    else
        std::snprintf(text, sizeof text, "Windows %lu.%lu.%lu %s (%d-bit program)", version.dwMajorVersion,
                      version.dwMinorVersion, version.dwBuildNumber, processor, int(sizeof(void*) * 8));
    return text;
}
