#pragma once

#include "shell/host.h"
#include "shell/run/benchmark_report.h"

// Everything a benchmark report says besides its frames: the time, the
// machine, the GL's strings, the run's size and settings and the effect
// file's hash. Read before the first frame, while the context is surely
// there, so that a window lost mid-run still gets its report.
BenchmarkSetting readBenchmarkSetting(Demo demo, const RunOptions& options, int swapInterval);
