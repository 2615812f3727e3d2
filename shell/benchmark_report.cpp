#include "benchmark_report.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

static double nearestRank(const std::vector<double>& sorted, double percent)
{
    size_t rank = static_cast<size_t>(std::ceil(percent / 100.0 * double(sorted.size())));
    return sorted[rank == 0 ? 0 : rank - 1];
}

FrameTimeSummary summariseFrameTimes(const std::vector<double>& frameMilliseconds)
{
    FrameTimeSummary summary = {int64_t(frameMilliseconds.size()), 0, 0, 0, 0, 0};
    if (frameMilliseconds.empty())
        return summary;
    std::vector<double> sorted = frameMilliseconds;
    std::sort(sorted.begin(), sorted.end());
    double total = 0;
    for (double milliseconds : sorted)
        total += milliseconds;
    summary.meanFramesPerSecond = total > 0 ? double(sorted.size()) * 1000.0 / total : 0;
    summary.median = nearestRank(sorted, 50);
    summary.p95 = nearestRank(sorted, 95);
    summary.p99 = nearestRank(sorted, 99);
    summary.maximum = sorted.back();
    return summary;
}

std::string benchmarkText(const BenchmarkFigures& figures)
{
    FrameTimeSummary summary = summariseFrameTimes(figures.frameMilliseconds);
    char text[1024];
    std::snprintf(text, sizeof text,
                  "renderer: %s\n"
                  "frames: %lld measured after %.1f s of warm-up\n"
                  "mean: %.1f frames per second\n"
                  "frame time: median %.2f ms, p95 %.2f ms, p99 %.2f ms, max %.2f ms\n"
                  "first frame: %.3f s after start\n",
                  figures.renderer.c_str(), static_cast<long long>(summary.frames), figures.warmupSeconds,
                  summary.meanFramesPerSecond, summary.median, summary.p95, summary.p99, summary.maximum,
                  figures.firstFrameSeconds);
    return text;
}

std::string benchmarkJson(const BenchmarkFigures& figures)
{
    FrameTimeSummary summary = summariseFrameTimes(figures.frameMilliseconds);
    nlohmann::ordered_json json = {
        {"renderer", figures.renderer},
        {"warmupSeconds", figures.warmupSeconds},
        {"frames", summary.frames},
        {"meanFramesPerSecond", summary.meanFramesPerSecond},
        {"frameMilliseconds",
         {{"median", summary.median}, {"p95", summary.p95}, {"p99", summary.p99}, {"max", summary.maximum}}},
        {"firstFrameSeconds", figures.firstFrameSeconds},
        {"frameTimesMilliseconds", figures.frameMilliseconds},
    };
    // A driver's renderer string is not promised to be UTF-8.
    return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}
