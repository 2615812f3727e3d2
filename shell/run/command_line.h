#pragma once

#include "shell/host.h"

#include <string>

// What to do with a command line: run the demo, or print help, the version or
// a usage error (status 2) and start nothing.
enum class CommandLineAction { Run, Help, Version, UsageError };

struct CommandLine {
    CommandLineAction action;
    RunOptions options;
    std::string problem; // for UsageError: what was wrong, one line
    bool warmupGiven = false;
};

// A recording's fixed step unless --fixed-step says otherwise: 1/60 s.
constexpr uint32_t RecordingStepMicroseconds = 16667;

// argv[0] is the program; the strings of argv must outlive the options.
CommandLine parseCommandLine(int argc, const char* const* argv);

std::string helpText();
std::string versionText();
// One line: the problem, then how to call the program.
std::string usageErrorLine(const std::string& problem);
