#include "frame_benchmark_report.h"

#include <algorithm>
#include <cstdio>

Spread spreadOf(std::vector<double> samples)
{
    if (samples.empty())
        return {0, 0, 0};
    std::sort(samples.begin(), samples.end());
    size_t middle = samples.size() / 2;
    double median = samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
    return {median, samples.front(), samples.back()};
}

LineFit leastSquares(const std::vector<double>& x, const std::vector<double>& y)
{
    if (x.empty() || std::all_of(x.begin(), x.end(), [&](double value) { return value == x.front(); }))
        return {false, 0, 0};
    const double n = double(x.size());
    double meanX = 0, meanY = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        meanX += x[i] / n;
        meanY += y[i] / n;
    }
    double squares = 0, products = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        squares += (x[i] - meanX) * (x[i] - meanX);
        products += (x[i] - meanX) * (y[i] - meanY);
    }
    const double slope = products / squares;
    return {true, slope, meanY - slope * meanX};
}

LineFit millisecondsPerMillion(const std::vector<ScalingPoint>& points, bool demo)
{
    std::vector<double> millions, milliseconds;
    for (const ScalingPoint& point : points) {
        millions.push_back(double(point.particles) / 1e6);
        milliseconds.push_back(spreadOf(demo ? point.demoMilliseconds : point.floorMilliseconds).median);
    }
    return leastSquares(millions, milliseconds);
}

static std::string format(const char* pattern, double a, double b = 0, double c = 0, double d = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, pattern, a, b, c, d);
    return text;
}

// The ratio of two medians; none where the floor measured nothing (a
// software renderer's GPU timer sees no time in the simulation pass).
static std::string ratioText(const std::vector<double>& demo, const std::vector<double>& floor, const char* none)
{
    double below = spreadOf(floor).median;
    if (below < 0.001)
        return none;
    return format("%.3f", spreadOf(demo).median / below);
}

static std::string tableRow(const char* name, const std::vector<double>& demo, const std::vector<double>& floor)
{
    Spread d = spreadOf(demo), f = spreadOf(floor);
    char text[200];
    std::snprintf(text, sizeof text, "%-16s %8.3f %8.3f %8.3f   %8.3f %8.3f %8.3f   %6s\n", name, d.median, d.min,
                  d.max, f.median, f.min, f.max, ratioText(demo, floor, "-").c_str());
    return text;
}

static std::string fitText(const LineFit& fit, const char* none)
{
    return fit.found ? format("%.3f", fit.slope) : none;
}

static std::string scalingTable(const ScalingSettings& settings, const std::vector<ScalingPoint>& points)
{
    std::string table = format("scaling: %.0f run(s) of each pipeline per count, %g s measured after %g s of warm-up\n",
                               settings.runs, settings.seconds, settings.warmupSeconds);
    table += "particles      demo ms   floor ms   demo/floor\n";
    for (const ScalingPoint& point : points)
        table += format("%9.0f   %8.3f   %8.3f", double(point.particles), spreadOf(point.demoMilliseconds).median,
                        spreadOf(point.floorMilliseconds).median) +
            "   " + ratioText(point.demoMilliseconds, point.floorMilliseconds, "-") + "\n";
    return table + "ms per million particles (least squares): demo " +
        fitText(millisecondsPerMillion(points, true), "-") + ", floor " +
        fitText(millisecondsPerMillion(points, false), "-") + "\n";
}

std::string benchmarkTable(const std::string& renderer, const BenchmarkSettings& settings, const PipelineFigures& demo,
                           const PipelineFigures& floor, const ScalingSettings& scalingSettings,
                           const std::vector<ScalingPoint>& points)
{
    std::string table = "frame benchmark: " + renderer + "\n";
    table += format("%.0f particles; %.0f run(s) of each pipeline, %g s measured after %g s of warm-up",
                    double(demo.particles), settings.runs, settings.seconds, settings.warmupSeconds);
    table += format(" (%.0f demo and %.0f floor frames)\n", double(demo.wallMilliseconds.size()),
                    double(floor.wallMilliseconds.size()));
    table += "every run with " + settings.childEnvironment + "\n";
    table += "ms per frame         demo median/min/max          floor median/min/max   demo/floor\n";
    table += tableRow("wall", demo.wallMilliseconds, floor.wallMilliseconds);
    table += tableRow("first frame", demo.firstFrameMilliseconds, floor.firstFrameMilliseconds);
    table += format("per pass, in-process: %.0f frames measured after %.0f\n", settings.passFrames,
                    settings.passWarmupFrames);
    for (int pass = 0; pass < TimedPassCount; ++pass)
        table += tableRow((std::string("gpu ") + TimedPassNames[pass]).c_str(), demo.passMilliseconds[pass],
                          floor.passMilliseconds[pass]);
    for (int pass = 0; pass < TimedPassCount; ++pass)
        table += tableRow((std::string("issue ") + TimedPassNames[pass]).c_str(), demo.issueMilliseconds[pass],
                          floor.issueMilliseconds[pass]);
    table += format("peak RSS     %8.1f MiB demo, %.1f MiB floor\n", demo.peakResidentMebibytes,
                    floor.peakResidentMebibytes);
    table += format("query read-backs that waited: %.0f demo, %.0f floor\n", demo.stalls, floor.stalls);
    return points.empty() ? table : table + scalingTable(scalingSettings, points);
}

static std::string jsonSpread(const std::vector<double>& samples)
{
    Spread s = spreadOf(samples);
    return format("{\"median\": %.4f, \"min\": %.4f, \"max\": %.4f}", s.median, s.min, s.max);
}

static std::string jsonPipeline(const PipelineFigures& figures)
{
    std::string json = format("{\n    \"frames\": %.0f", double(figures.wallMilliseconds.size())) +
        ",\n    \"wall_ms\": " + jsonSpread(figures.wallMilliseconds) +
        ",\n    \"first_frame_ms\": " + jsonSpread(figures.firstFrameMilliseconds) + ",\n    \"gpu_ms\": {";
    for (int pass = 0; pass < TimedPassCount; ++pass)
        json += std::string(pass ? ", " : "") + "\"" + TimedPassNames[pass] +
            "\": " + jsonSpread(figures.passMilliseconds[pass]);
    json += "},\n    \"issue_ms\": {";
    for (int pass = 0; pass < TimedPassCount; ++pass)
        json += std::string(pass ? ", " : "") + "\"" + TimedPassNames[pass] +
            "\": " + jsonSpread(figures.issueMilliseconds[pass]);
    json += format("},\n    \"peak_rss_mib\": %.1f,\n    \"query_stalls\": %.0f\n  }", figures.peakResidentMebibytes,
                   figures.stalls);
    return json;
}

static std::string jsonEscaped(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        if (c == '"' || c == '\\')
            escaped += '\\';
        if (static_cast<unsigned char>(c) >= 0x20)
            escaped += c;
    }
    return escaped;
}

static std::string jsonFit(const LineFit& fit)
{
    return fit.found ? format("{\"ms_per_million\": %.4f, \"ms_at_none\": %.4f}", fit.slope, fit.intercept) : "null";
}

static std::string jsonScaling(const ScalingSettings& settings, const std::vector<ScalingPoint>& points)
{
    if (points.empty())
        return "null";
    std::string json = format("{\n    \"runs\": %.0f,\n    \"seconds\": %.3f,\n    \"warmup_seconds\": %.3f,\n",
                              settings.runs, settings.seconds, settings.warmupSeconds);
    json += "    \"counts\": [";
    for (const ScalingPoint& point : points)
        json += std::string(&point == &points.front() ? "\n" : ",\n") +
            format("      {\"particles\": %.0f, \"demo_frames\": %.0f, \"floor_frames\": %.0f, ",
                   double(point.particles), double(point.demoMilliseconds.size()),
                   double(point.floorMilliseconds.size())) +
            format("\"demo_ms\": %.4f, \"floor_ms\": %.4f, ", spreadOf(point.demoMilliseconds).median,
                   spreadOf(point.floorMilliseconds).median) +
            "\"demo_over_floor\": " + ratioText(point.demoMilliseconds, point.floorMilliseconds, "null") + "}";
    return json + "\n    ],\n    \"demo_fit\": " + jsonFit(millisecondsPerMillion(points, true)) +
        ",\n    \"floor_fit\": " + jsonFit(millisecondsPerMillion(points, false)) + "\n  }";
}

std::string benchmarkJson(const std::string& renderer, const BenchmarkSettings& settings, const PipelineFigures& demo,
                          const PipelineFigures& floor, const ScalingSettings& scalingSettings,
                          const std::vector<ScalingPoint>& points)
{
    std::string json = "{\n  \"renderer\": \"" + jsonEscaped(renderer) + "\",\n";
    json += format("  \"particles\": %.0f,\n  \"runs\": %.0f,\n  \"seconds\": %.3f,\n  \"warmup_seconds\": %.3f,\n",
                   double(demo.particles), settings.runs, settings.seconds, settings.warmupSeconds);
    json += format("  \"pass_warmup_frames\": %.0f,\n  \"pass_frames\": %.0f,\n", settings.passWarmupFrames,
                   settings.passFrames);
    json += "  \"child_environment\": \"" + jsonEscaped(settings.childEnvironment) + "\",\n";
    json += "  \"demo\": " + jsonPipeline(demo) + ",\n  \"floor\": " + jsonPipeline(floor) + ",\n";
    json += "  \"demo_over_floor\": {\"frame\": " + ratioText(demo.wallMilliseconds, floor.wallMilliseconds, "null") +
        ", \"first_frame\": " + ratioText(demo.firstFrameMilliseconds, floor.firstFrameMilliseconds, "null");
    for (int pass = 0; pass < TimedPassCount; ++pass)
        json += std::string(", \"gpu_") + TimedPassNames[pass] +
            "\": " + ratioText(demo.passMilliseconds[pass], floor.passMilliseconds[pass], "null");
    for (int pass = 0; pass < TimedPassCount; ++pass)
        json += std::string(", \"issue_") + TimedPassNames[pass] +
            "\": " + ratioText(demo.issueMilliseconds[pass], floor.issueMilliseconds[pass], "null");
    json += "},\n  \"scaling\": " + jsonScaling(scalingSettings, points) + "\n}\n";
    return json;
}
