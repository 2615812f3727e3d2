#include "shell/run/benchmark_report.h"

#include <nlohmann/json.hpp>
#define XXH_INLINE_ALL
#include <xxhash.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#ifndef VANTEEL_VERSION
#error "the build defines VANTEEL_VERSION from the project's version"
#endif

static double nearestRank(const std::vector<double>& sorted, double percent)
{
    size_t rank = static_cast<size_t>(std::ceil(percent / 100.0 * double(sorted.size())));
    return sorted[rank == 0 ? 0 : rank - 1];
}

static double sum(const std::vector<double>& values, size_t from = 0)
{
    double total = 0;
    for (size_t i = from; i < values.size(); ++i)
        total += values[i];
    return total;
}

FrameTimeSummary summariseFrames(const BenchmarkFigures& figures)
{
    FrameTimeSummary summary = {};
    summary.frames = int64_t(figures.frameMilliseconds.size());
    if (figures.frameMilliseconds.empty())
        return summary;
    std::vector<double> sorted = figures.frameMilliseconds;
    std::sort(sorted.begin(), sorted.end());
    const double total = sum(sorted), frames = double(sorted.size());
    summary.framesPerSecond = total > 0 ? frames * 1000.0 / total : 0;
    summary.minimum = sorted.front();
    summary.mean = total / frames;
    summary.median = nearestRank(sorted, 50);
    summary.p95 = nearestRank(sorted, 95);
    summary.p99 = nearestRank(sorted, 99);
    summary.maximum = sorted.back();
    const size_t slowest = (sorted.size() + 99) / 100;
    const double slowestTotal = sum(sorted, sorted.size() - slowest);
    summary.onePercentLowFramesPerSecond = slowestTotal > 0 ? double(slowest) * 1000.0 / slowestTotal : 0;
    if (figures.cpuTimeMeasured)
        summary.cpuMillisecondsPerFrame = sum(figures.frameCpuMilliseconds) / frames;
    return summary;
}

static std::string swapIntervalText(int interval)
{
    return interval < 0 ? std::string("unknown") : std::to_string(interval);
}

std::string benchmarkText(const BenchmarkFigures& figures)
{
    const BenchmarkSetting& setting = figures.setting;
    const FrameTimeSummary summary = summariseFrames(figures);
    char step[48] = "the measured clock";
    if (setting.fixedStepMicroseconds != 0)
        std::snprintf(step, sizeof step, "a fixed step of %u us", setting.fixedStepMicroseconds);
    char cpu[48] = "CPU time not measured";
    if (summary.cpuMillisecondsPerFrame)
        std::snprintf(cpu, sizeof cpu, "CPU %.2f ms per frame", *summary.cpuMillisecondsPerFrame);
    char rates[320] = "no frame was measured\n";
    if (summary.frames > 0)
        std::snprintf(rates, sizeof rates,
                      "rate: %.1f frames per second, 1%% low %.1f; %s\n"
                      "frame time: min %.2f, mean %.2f, median %.2f, p95 %.2f, p99 %.2f, max %.2f ms\n",
                      summary.framesPerSecond, summary.onePercentLowFramesPerSecond, cpu, summary.minimum, summary.mean,
                      summary.median, summary.p95, summary.p99, summary.maximum);
    char text[2048];
    std::snprintf(text, sizeof text,
                  "Vanteel %s benchmark%s: %lld frames in %.2f of %g s after %g s of warm-up\n"
                  "GL: %s, %s; OpenGL %s, GLSL %s\n"
                  "run: %dx%d, %lld particles, swap interval %s, %s; %s\n"
                  "%s"
                  "first frame: %.3f s after start; effect file XXH64 %s\n",
                  VANTEEL_VERSION, figures.complete ? "" : " (cut short)", static_cast<long long>(summary.frames),
                  figures.measuredSeconds, setting.requestedSeconds, setting.warmupSeconds, setting.glVendor.c_str(),
                  setting.glRenderer.c_str(), setting.glVersion.c_str(), setting.glslVersion.c_str(), setting.width,
                  setting.height, static_cast<long long>(setting.particles),
                  swapIntervalText(setting.swapInterval).c_str(), step, setting.operatingSystem.c_str(), rates,
                  figures.firstFrameSeconds,
                  setting.effectFileHash.empty() ? "unknown" : setting.effectFileHash.c_str());
    return text;
}

std::string benchmarkJson(const BenchmarkFigures& figures)
{
    const BenchmarkSetting& setting = figures.setting;
    const FrameTimeSummary summary = summariseFrames(figures);
    // No frame measured: no statistic exists, rather than a misleading zero.
    auto figure = [&summary](double value) { return summary.frames > 0 ? nlohmann::json(value) : nlohmann::json(); };
    nlohmann::ordered_json json = {
        {"schemaVersion", BenchmarkSchemaVersion},
        {"program", {{"name", "Vanteel"}, {"version", VANTEEL_VERSION}}},
        {"startedAt", setting.startedAt},
        {"operatingSystem", setting.operatingSystem},
        {"gl",
         {{"vendor", setting.glVendor},
          {"renderer", setting.glRenderer},
          {"version", setting.glVersion},
          {"shadingLanguageVersion", setting.glslVersion}}},
        {"window", {{"width", setting.width}, {"height", setting.height}}},
        {"particles", setting.particles},
        {"swapInterval", setting.swapInterval < 0 ? nlohmann::json() : nlohmann::json(setting.swapInterval)},
        {"fixedStepMicroseconds",
         setting.fixedStepMicroseconds == 0 ? nlohmann::json() : nlohmann::json(setting.fixedStepMicroseconds)},
        {"effectFile",
         {{"hashAlgorithm", "XXH64"},
          {"hash", setting.effectFileHash.empty() ? nlohmann::json() : nlohmann::json(setting.effectFileHash)}}},
        {"warmupSeconds", setting.warmupSeconds},
        {"requestedSeconds", setting.requestedSeconds},
        {"measuredSeconds", figures.measuredSeconds},
        {"complete", figures.complete},
        {"frames", summary.frames},
        {"framesPerSecond", figure(summary.framesPerSecond)},
        {"frameMilliseconds",
         {{"min", figure(summary.minimum)},
          {"mean", figure(summary.mean)},
          {"median", figure(summary.median)},
          {"p95", figure(summary.p95)},
          {"p99", figure(summary.p99)},
          {"max", figure(summary.maximum)}}},
        {"onePercentLowFramesPerSecond", figure(summary.onePercentLowFramesPerSecond)},
        {"cpuMillisecondsPerFrame",
         summary.cpuMillisecondsPerFrame ? nlohmann::json(*summary.cpuMillisecondsPerFrame) : nlohmann::json()},
        {"firstFrameSeconds", figures.firstFrameSeconds},
        {"frameTimesMilliseconds", figures.frameMilliseconds},
        {"frameCpuMilliseconds",
         figures.cpuTimeMeasured ? nlohmann::json(figures.frameCpuMilliseconds) : nlohmann::json()},
    };
    // A driver's strings are not promised to be UTF-8.
    return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::string benchmarkCsv(const BenchmarkFigures& figures)
{
    std::string csv = "frame,milliseconds,cpu_milliseconds\n";
    char row[96];
    for (size_t i = 0; i < figures.frameMilliseconds.size(); ++i) {
        std::snprintf(row, sizeof row, "%zu,%.6f,", i + 1, figures.frameMilliseconds[i]);
        csv += row;
        // An unmeasured CPU time is an empty field, not a zero.
        if (figures.cpuTimeMeasured) {
            std::snprintf(row, sizeof row, "%.6f", figures.frameCpuMilliseconds[i]);
            csv += row;
        }
        csv += '\n';
    }
    return csv;
}

std::string benchmarkCutShortLine(const BenchmarkFigures& figures)
{
    char line[160];
    std::snprintf(line, sizeof line, "vanteel: the benchmark was cut short after %.2f of %g seconds (%zu frames)\n",
                  figures.measuredSeconds, figures.setting.requestedSeconds, figures.frameMilliseconds.size());
    return line;
}

std::string fileHash(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return "";
    XXH64_state_t state;
    XXH64_reset(&state, 0);
    char buffer[65536];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0)
        XXH64_update(&state, buffer, size_t(file.gcount()));
    if (file.bad())
        return "";
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(XXH64_digest(&state)));
    return hex;
}
