#pragma once

#include <string>

// What a benchmark report says of the machine it ran on, from each platform's
// own calls: the process's CPU time, and the operating system by name,
// version and processor.
double processCpuSeconds();
std::string operatingSystemDescription();
