#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What a --benchmark run measured, after its warm-up.
struct BenchmarkFigures {
    std::string renderer;
    double warmupSeconds;
    std::vector<double> frameMilliseconds; // every measured frame, in order
    double firstFrameSeconds;              // from start-up to the first frame presented
};

struct FrameTimeSummary {
    int64_t frames;
    double meanFramesPerSecond;
    // Frame times in milliseconds; percentiles by nearest rank.
    double median, p95, p99, maximum;
};

FrameTimeSummary summariseFrameTimes(const std::vector<double>& frameMilliseconds);

// The figures as a few lines for the user, and as JSON with every frame time.
std::string benchmarkText(const BenchmarkFigures& figures);
std::string benchmarkJson(const BenchmarkFigures& figures);
