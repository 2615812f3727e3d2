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
    std::string childEnvironment; // what the benchmark set for every run
};

// How the cost grows with the work: both pipelines again at several particle
// counts, in shorter runs of their own.
struct ScalingSettings {
    double seconds, warmupSeconds; // of each run
    int runs;                      // of each pipeline at each count
};

// The frame times of one count's runs, pooled per pipeline.
struct ScalingPoint {
    int64_t particles;
    std::vector<double> demoMilliseconds, floorMilliseconds;
};

// y = slope * x + intercept by least squares; not found with fewer than two
// distinct x.
struct LineFit {
    bool found;
    double slope, intercept;
};
LineFit leastSquares(const std::vector<double>& x, const std::vector<double>& y);

// Median frame milliseconds against millions of particles, fitted for the
// demo (demo true) or the floor.
LineFit millisecondsPerMillion(const std::vector<ScalingPoint>& points, bool demo);

// The table for standard output and the same figures as JSON; the headline
// is the demo/floor ratio of the medians, for the whole frame and per pass,
// and with a scaling sweep (points not empty) at each count.
std::string benchmarkTable(const std::string& renderer, const BenchmarkSettings& settings, const PipelineFigures& demo,
                           const PipelineFigures& floor, const ScalingSettings& scalingSettings,
                           const std::vector<ScalingPoint>& points);
std::string benchmarkJson(const std::string& renderer, const BenchmarkSettings& settings, const PipelineFigures& demo,
                          const PipelineFigures& floor, const ScalingSettings& scalingSettings,
                          const std::vector<ScalingPoint>& points);
