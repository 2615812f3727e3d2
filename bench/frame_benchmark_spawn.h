#pragma once

#include <string>
#include <vector>

// One measuring run of an executable in a child process of its own.
struct ChildRun {
    std::string output;           // its standard output
    double peakResidentMebibytes; // the child's, from wait4
};

// Sets, for every child started after it, glibc's malloc thresholds fixed
// (added to any GLIBC_TUNABLES already set), and returns the setting.
std::string holdChildAllocatorThresholds();

// Runs arguments[0] with the rest as its arguments, working in `directory`,
// where its standard output and error are kept. A run that does not end with
// status 0 ends the benchmark, with the child's standard error shown.
ChildRun runChild(const std::vector<std::string>& arguments, const std::string& directory);
