#include "shell/run/benchmark_report.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

static BenchmarkFigures figuresOf(std::vector<double> frameMilliseconds, bool complete = true)
{
    BenchmarkFigures figures = {};
    figures.setting = {"2026-12-08T11:30:00Z",
                       "Linux 6.1 x86_64",
                       "Mesa",
                       "llvmpipe \"quoted\" \xff",
                       "4.5",
                       "4.50",
                       1024,
                       1024,
                       700000,
                       0,
                       0,
                       2.0,
                       10.0,
                       "44bc2cf5ad770999"};
    figures.frameCpuMilliseconds.assign(frameMilliseconds.size(), 2.0);
    figures.cpuTimeMeasured = true;
    figures.frameMilliseconds = std::move(frameMilliseconds);
    figures.measuredSeconds = complete ? 10.0 : 4.5;
    figures.firstFrameSeconds = 0.25;
    figures.complete = complete;
    return figures;
}

// 1, 2, ... n milliseconds, slowest first, so that nothing depends on the order.
static std::vector<double> countingDown(int n)
{
    std::vector<double> frames;
    for (int i = n; i >= 1; --i)
        frames.push_back(double(i));
    return frames;
}

// Guards the ranks: nearest rank rounds up (a truncated rank passes at
// exactly 100 samples, not at 7 or 101; a rank rounded to the nearest passes
// at 7, 101 and 250, not at 11, where p95's rank is 10.45), and the 1% low
// takes at least one frame and a whole hundredth rounded up (two frames at
// 201 by the nearest hundredth, three rounded up).
TEST(BenchmarkReport, PercentilesAndTheOnePercentLowAtSampleCountsThatDoNotDivideEvenly)
{
    struct Row {
        int frames;
        double median, p95, p99, onePercentLowFramesPerSecond;
    };
    const Row rows[] = {
        {1, 1, 1, 1, 1000.0},
        {7, 4, 7, 7, 1000.0 / 7},
        {11, 6, 11, 11, 1000.0 / 11},
        {100, 50, 95, 99, 1000.0 / 100},
        {101, 51, 96, 100, 1000.0 / 100.5},
        {201, 101, 191, 199, 1000.0 / 200},
        {250, 125, 238, 248, 1000.0 / 249},
    };
    for (const Row& row : rows) {
        const FrameTimeSummary summary = summariseFrames(figuresOf(countingDown(row.frames)));
        EXPECT_EQ(summary.frames, row.frames);
        EXPECT_EQ(summary.minimum, 1.0) << row.frames;
        EXPECT_EQ(summary.median, row.median) << row.frames;
        EXPECT_EQ(summary.p95, row.p95) << row.frames;
        EXPECT_EQ(summary.p99, row.p99) << row.frames;
        EXPECT_EQ(summary.maximum, double(row.frames)) << row.frames;
        EXPECT_DOUBLE_EQ(summary.onePercentLowFramesPerSecond, row.onePercentLowFramesPerSecond) << row.frames;
        EXPECT_DOUBLE_EQ(summary.mean, (row.frames + 1) / 2.0) << row.frames;
        EXPECT_DOUBLE_EQ(summary.framesPerSecond, 1000.0 / summary.mean) << row.frames;
        EXPECT_DOUBLE_EQ(summary.cpuMillisecondsPerFrame.value_or(-1), 2.0) << row.frames;
    }
}

// Guards the file people compare: every field the schema in docs/ requires,
// in its units, statistics that are null rather than zero when nothing was
// measured, and a driver's string that is not UTF-8.
TEST(BenchmarkReport, JsonCarriesTheSettingTheSummaryAndEveryFrame)
{
    nlohmann::json json = nlohmann::json::parse(benchmarkJson(figuresOf(countingDown(100))));
    EXPECT_EQ(json["schemaVersion"], BenchmarkSchemaVersion);
    EXPECT_EQ(json["program"]["name"], "Vanteel");
    EXPECT_EQ(json["startedAt"], "2026-12-08T11:30:00Z");
    EXPECT_EQ(json["gl"]["renderer"].get<std::string>().rfind("llvmpipe \"quoted\" ", 0), 0u);
    EXPECT_EQ(json["gl"]["shadingLanguageVersion"], "4.50");
    EXPECT_EQ(json["window"]["width"], 1024);
    EXPECT_EQ(json["particles"], 700000);
    EXPECT_EQ(json["swapInterval"], 0);
    EXPECT_TRUE(json["fixedStepMicroseconds"].is_null());
    EXPECT_EQ(json["effectFile"]["hashAlgorithm"], "XXH64");
    EXPECT_EQ(json["effectFile"]["hash"], "44bc2cf5ad770999");
    EXPECT_EQ(json["warmupSeconds"], 2.0);
    EXPECT_EQ(json["requestedSeconds"], 10.0);
    EXPECT_EQ(json["complete"], true);
    EXPECT_EQ(json["frames"], 100);
    EXPECT_EQ(json["frameMilliseconds"]["p99"], 99.0);
    EXPECT_EQ(json["frameTimesMilliseconds"].size(), 100u);
    EXPECT_EQ(json["frameTimesMilliseconds"][0], 100.0);
    EXPECT_EQ(json["cpuMillisecondsPerFrame"], 2.0);
    EXPECT_EQ(json["frameCpuMilliseconds"].size(), 100u);
    EXPECT_EQ(json["firstFrameSeconds"], 0.25);

    BenchmarkFigures nothing = figuresOf({}, false);
    nothing.setting.swapInterval = -1;
    nothing.setting.fixedStepMicroseconds = 16667;
    nothing.setting.effectFileHash.clear();
    json = nlohmann::json::parse(benchmarkJson(nothing));
    EXPECT_EQ(json["complete"], false);
    EXPECT_EQ(json["frames"], 0);
    EXPECT_TRUE(json["framesPerSecond"].is_null());
    EXPECT_TRUE(json["frameMilliseconds"]["median"].is_null());
    EXPECT_TRUE(json["swapInterval"].is_null());
    EXPECT_EQ(json["fixedStepMicroseconds"], 16667);
    EXPECT_TRUE(json["effectFile"]["hash"].is_null());
}

// Guards the divisions: frames a coarse timer saw take no time at all have
// no rate, which the report gives as 0, never as an infinity.
TEST(BenchmarkReport, FramesMeasuredInNoTimeGiveNoRate)
{
    const BenchmarkFigures figures = figuresOf({0, 0, 0});
    const FrameTimeSummary summary = summariseFrames(figures);
    EXPECT_EQ(summary.frames, 3);
    EXPECT_EQ(summary.framesPerSecond, 0);
    EXPECT_EQ(summary.onePercentLowFramesPerSecond, 0);
    EXPECT_EQ(summary.mean, 0);
    const std::string text = benchmarkText(figures);
    EXPECT_NE(text.find("rate: 0.0 frames per second, 1% low 0.0"), std::string::npos) << text;
    EXPECT_EQ(nlohmann::json::parse(benchmarkJson(figures))["framesPerSecond"], 0.0);
}

TEST(BenchmarkReport, CsvHasAHeaderAndOneRowPerMeasuredFrame)
{
    const std::string csv = benchmarkCsv(figuresOf({16.5, 17.25, 40}));
    EXPECT_EQ(csv,
              "frame,milliseconds,cpu_milliseconds\n"
              "1,16.500000,2.000000\n"
              "2,17.250000,2.000000\n"
              "3,40.000000,2.000000\n");
    EXPECT_EQ(benchmarkCsv(figuresOf({})), "frame,milliseconds,cpu_milliseconds\n");
}

// Guards a host with no clock of the process's CPU time (a browser), or a
// reading that failed: the CPU time is absent from the text, the JSON and the
// CSV, never a zero nor the frames' partial record, while the frame times stay.
TEST(BenchmarkReport, AnUnmeasuredCpuTimeIsAbsentRatherThanZero)
{
    BenchmarkFigures figures = figuresOf({16.5, 17.25, 40});
    figures.cpuTimeMeasured = false;
    const FrameTimeSummary summary = summariseFrames(figures);
    EXPECT_FALSE(summary.cpuMillisecondsPerFrame.has_value());
    EXPECT_EQ(summary.maximum, 40);

    const std::string text = benchmarkText(figures);
    EXPECT_NE(text.find("1% low 25.0; CPU time not measured\nframe time: min 16.50"), std::string::npos) << text;
    EXPECT_EQ(text.find("ms per frame"), std::string::npos) << text;

    const nlohmann::json json = nlohmann::json::parse(benchmarkJson(figures));
    EXPECT_TRUE(json["cpuMillisecondsPerFrame"].is_null());
    EXPECT_TRUE(json["frameCpuMilliseconds"].is_null());
    EXPECT_EQ(json["frameTimesMilliseconds"].size(), 3u);
    EXPECT_EQ(json["frameMilliseconds"]["max"], 40.0);

    EXPECT_EQ(benchmarkCsv(figures),
              "frame,milliseconds,cpu_milliseconds\n"
              "1,16.500000,\n"
              "2,17.250000,\n"
              "3,40.000000,\n");
}

TEST(BenchmarkReport, TheSummarySaysWhatWasMeasuredAndWhetherTheRunWasCutShort)
{
    std::string text = benchmarkText(figuresOf(countingDown(100)));
    EXPECT_NE(text.find("benchmark: 100 frames in 10.00 of 10 s after 2 s of warm-up"), std::string::npos) << text;
    EXPECT_NE(text.find("1024x1024, 700000 particles, swap interval 0, the measured clock"), std::string::npos) << text;
    EXPECT_NE(text.find("1% low 10.0; CPU 2.00 ms per frame\n"), std::string::npos) << text;
    EXPECT_NE(text.find("min 1.00, mean 50.50, median 50.00, p95 95.00, p99 99.00, max 100.00 ms"), std::string::npos)
        << text;
    EXPECT_NE(text.find("effect file XXH64 44bc2cf5ad770999"), std::string::npos) << text;

    const BenchmarkFigures cut = figuresOf(countingDown(3), false);
    EXPECT_NE(benchmarkText(cut).find("benchmark (cut short): 3 frames in 4.50 of 10 s"), std::string::npos);
    EXPECT_EQ(benchmarkCutShortLine(cut), "vanteel: the benchmark was cut short after 4.50 of 10 seconds (3 frames)\n");
    EXPECT_NE(benchmarkText(figuresOf({}, false)).find("no frame was measured\n"), std::string::npos);
}

// Known answers from xxh64sum; the long file crosses the read buffer's size.
TEST(BenchmarkReport, FileHashIsXxh64OfTheBytesOrEmptyWhenUnreadable)
{
    struct Row {
        std::string bytes;
        const char* hash;
    };
    const Row rows[] = {
        {"", "ef46db3751d8e999"},
        {"abc", "44bc2cf5ad770999"},
        {std::string(70000, 'a'), "4b03775a1ff8a9a1"},
    };
    const std::string path = ::testing::TempDir() + "vanteel_hashed_file";
    for (const Row& row : rows) {
        std::ofstream(path, std::ios::binary) << row.bytes;
        EXPECT_EQ(fileHash(path.c_str()), row.hash) << row.bytes.size() << " bytes";
    }
    std::remove(path.c_str());
    EXPECT_EQ(fileHash(path.c_str()), "");
}
