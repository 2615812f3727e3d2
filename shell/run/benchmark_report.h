#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The version of the stats file's layout (docs/benchmark-stats.schema.json):
// raised whenever a field changes meaning or goes away.
constexpr int BenchmarkSchemaVersion = 3;

// Where and how a --benchmark run ran: the facts two machines' reports are
// compared by, gathered before the first frame.
struct BenchmarkSetting {
    std::string startedAt; // UTC, ISO 8601
    std::string operatingSystem;
    std::string glVendor, glRenderer, glVersion, glslVersion; // "unknown" where the GL gave none
    int width, height;
    int64_t particles;
    int swapInterval;               // in force; -1: the driver cannot say
    uint32_t fixedStepMicroseconds; // 0: the measured clock
    double warmupSeconds, requestedSeconds;
    std::string effectFileHash; // XXH64 of the effect file's bytes, 16 hex digits; empty if unreadable
};

// What a --benchmark run measured after its warm-up.
struct BenchmarkFigures {
    BenchmarkSetting setting;
    std::vector<double> frameMilliseconds; // every measured frame, in order
    // The process's CPU time in each of them, where cpuTimeMeasured: false
    // where the host has no such clock or a reading failed.
    std::vector<double> frameCpuMilliseconds;
    bool cpuTimeMeasured;
    double measuredSeconds;   // from the end of the warm-up to the last measured frame
    double firstFrameSeconds; // from start-up to the first frame presented
    bool complete;            // ran its requested seconds
};

// Frame times in milliseconds; percentiles by nearest rank, and the 1% low
// frame rate from the mean of the slowest hundredth (at least one frame).
struct FrameTimeSummary {
    int64_t frames;
    double framesPerSecond;
    double minimum, mean, median, p95, p99, maximum;
    double onePercentLowFramesPerSecond;
    std::optional<double> cpuMillisecondsPerFrame; // none where the CPU time was not measured
};

FrameTimeSummary summariseFrames(const BenchmarkFigures& figures);

// The figures as a few lines for the user; as JSON, with every frame time;
// and as CSV, one row per measured frame.
std::string benchmarkText(const BenchmarkFigures& figures);
std::string benchmarkJson(const BenchmarkFigures& figures);
std::string benchmarkCsv(const BenchmarkFigures& figures);
// The one line that says a run ended before its seconds were measured.
std::string benchmarkCutShortLine(const BenchmarkFigures& figures);

// XXH64 (seed 0) of a file's bytes as 16 hex digits, as `xxh64sum` prints
// it; empty when the file cannot be read.
std::string fileHash(const char* path);
