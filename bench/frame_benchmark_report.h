#pragma once

#include "pass_timer.h"

#include <cstdint>
#include <string>
#include <vector>

struct Spread {
    double median, min, max;
};

Spread spreadOf(std::vector<double> samples);

// What one pipeline (the demo or the floor) measured, frames of all runs pooled.
struct PipelineFigures {
    // From the runs of the demo's executable (--benchmark): the time between
    // the ends of consecutive frames, and from the host's start to the first
    // frame presented, one per run.
    std::vector<double> wallMilliseconds;
    std::vector<double> firstFrameMilliseconds;
    int64_t particles = 0;            // as the runs' reports give it
    double peakResidentMebibytes = 0; // the largest of those runs
    // From the in-process pass measurement, per measured frame.
    std::vector<double> passMilliseconds[TimedPassCount];
    std::vector<double> issueMilliseconds[TimedPassCount];
    int stalls = 0;
};

struct BenchmarkSettings {
    double seconds, warmupSeconds; // of each run of the demo's executable
    int runs;
    int passWarmupFrames, passFrames;
};

// The table for standard output and the same figures as JSON; the headline
// is the demo/floor ratio of the medians, for the whole frame and per pass.
std::string benchmarkTable(const std::string& renderer, const BenchmarkSettings& settings, const PipelineFigures& demo,
                           const PipelineFigures& floor);
std::string benchmarkJson(const std::string& renderer, const BenchmarkSettings& settings, const PipelineFigures& demo,
                          const PipelineFigures& floor);
