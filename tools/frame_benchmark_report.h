#pragma once

#include "frame_benchmark_pass_timer.h"

#include <string>
#include <vector>

struct Spread {
    double median, min, max;
};

Spread spreadOf(std::vector<double> samples);

// What the runs of one pipeline (the demo or the floor) measured, frames of
// all runs pooled.
struct PipelineFigures {
    std::vector<double> wallMilliseconds;
    std::vector<double> pollMilliseconds;  // the host's event poll, part of the wall time
    std::vector<double> passMilliseconds[TimedPassCount];
    std::vector<double> issueMilliseconds[TimedPassCount];
    std::vector<double> cpuMilliseconds;         // per frame, one per run
    std::vector<double> firstFrameMilliseconds;  // from process start, one per run
    double peakResidentMebibytes = 0;            // the largest of the runs
    int stalls = 0;
};

struct BenchmarkSettings {
    int warmupFrames, measuredFrames, runs;
};

// The table for standard output and the same figures as JSON; the headline
// is the demo/floor ratio of the medians, per pass and for the whole frame.
std::string benchmarkTable(const std::string& renderer, const BenchmarkSettings& settings,
                           const PipelineFigures& demo, const PipelineFigures& floor);
std::string benchmarkJson(const std::string& renderer, const BenchmarkSettings& settings,
                          const PipelineFigures& demo, const PipelineFigures& floor);
