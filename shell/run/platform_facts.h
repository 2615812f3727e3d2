#pragma once

#include <optional>
#include <string>

// What a benchmark report says of the machine it ran on, from each platform's
// own calls: the process's CPU time, and the operating system by name,
// version and processor.

// Seconds of CPU time, user and system, in all the process's threads; none
// where the host has no such clock, as in a browser.
std::optional<double> processCpuSeconds();
std::string operatingSystemDescription();
