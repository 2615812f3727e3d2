#pragma once

#include "shell/host.h"

// Every host's main: answers --help, --version and a mistaken command line
// (status 2, nothing started) on the user's channels, or runs the demo
// through the platform's host. Returns the exit status.
int runFromCommandLine(Demo demo, int argc, const char* const* argv);
