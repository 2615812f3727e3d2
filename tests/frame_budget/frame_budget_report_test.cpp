#include "frame_benchmark_report.h"

#include <gtest/gtest.h>

// Guards the benchmark's statistics: an off-by-one median, unsorted
// samples, a ratio made up where the floor measured nothing, and runs whose
// allocator setting the report leaves out.
TEST(FrameBenchmarkReport, SpreadIsTheMedianMinimumAndMaximumOfUnsortedSamples)
{
    Spread odd = spreadOf({5, 1, 3});
    EXPECT_EQ(odd.median, 3);
    EXPECT_EQ(odd.min, 1);
    EXPECT_EQ(odd.max, 5);
    EXPECT_EQ(spreadOf({4, 1, 3, 2}).median, 2.5);
    Spread none = spreadOf({});
    EXPECT_EQ(none.median, 0);
    EXPECT_EQ(none.max, 0);
}

TEST(FrameBenchmarkReport, RatiosAreOfMediansAndAbsentWhereTheFloorMeasuredNothing)
{
    PipelineFigures demo, floor;
    demo.wallMilliseconds = {30, 10, 20};
    floor.wallMilliseconds = {8, 100, 10, 12};
    for (int pass = 0; pass < TimedPassCount; ++pass) {
        demo.passMilliseconds[pass] = {2};
        floor.passMilliseconds[pass] = {pass == SimulationPass ? 0.0 : 1.0};
    }
    std::string json =
        benchmarkJson("renderer \"x\"", {10, 2, 1, 10, 3, "GLIBC_TUNABLES=a=1"}, demo, floor, {3, 1, 1}, {});
    EXPECT_NE(json.find("\"frame\": 1.818"), std::string::npos) << json;
    EXPECT_NE(json.find("\"gpu_simulation\": null"), std::string::npos) << json;
    EXPECT_NE(json.find("\"gpu_particles\": 2.000"), std::string::npos) << json;
    EXPECT_NE(json.find("\"renderer\": \"renderer \\\"x\\\"\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"child_environment\": \"GLIBC_TUNABLES=a=1\""), std::string::npos) << json;

    EXPECT_NE(json.find("\"scaling\": null"), std::string::npos) << json;
    std::string table = benchmarkTable("r", {10, 2, 1, 10, 3, "GLIBC_TUNABLES=a=1"}, demo, floor, {3, 1, 1}, {});
    EXPECT_NE(table.find("1.818"), std::string::npos) << table;
    EXPECT_NE(table.find("\nevery run with GLIBC_TUNABLES=a=1\n"), std::string::npos) << table;
    EXPECT_EQ(table.find("scaling"), std::string::npos) << table;
}

// Guards the fit of frame time against particles: swapped sums, a slope
// left unscaled to millions, a fit claimed from one count.
TEST(FrameBenchmarkReport, LeastSquaresFitsALineOnlyThroughTwoOrMoreDistinctPoints)
{
    struct Case {
        const char* what;
        std::vector<double> x, y;
        bool found;
        double slope, intercept;
    };
    const Case cases[] = {
        {"on a line", {0.1, 0.7, 2.8}, {14, 26, 68}, true, 20, 12},
        {"scattered", {0, 1, 2, 3}, {1.5, 2.5, 5.5, 6.5}, true, 1.8, 1.3},
        {"two points falling", {1, 3}, {10, 4}, true, -3, 13},
        {"no points", {}, {}, false, 0, 0},
        {"one point", {0.7}, {114}, false, 0, 0},
        {"one x twice", {0.7, 0.7}, {110, 118}, false, 0, 0},
    };
    for (const Case& c : cases) {
        LineFit fit = leastSquares(c.x, c.y);
        EXPECT_EQ(fit.found, c.found) << c.what;
        if (fit.found) {
            EXPECT_NEAR(fit.slope, c.slope, 1e-9) << c.what;
            EXPECT_NEAR(fit.intercept, c.intercept, 1e-9) << c.what;
        }
    }
}

// Guards the sweep's figures: medians per count, not means or first frames,
// particles in millions, a ratio per count, and the fit of each pipeline.
TEST(FrameBenchmarkReport, ScalingGivesEachCountsMediansAndRatioAndEachPipelinesMillisecondsPerMillion)
{
    const std::vector<ScalingPoint> points = {
        {100000, {15, 14, 100}, {10, 11, 9}},
        {1400000, {40, 42}, {30, 20}},
        {2800000, {70}, {50}},
    };
    std::string json =
        benchmarkJson("r", {10, 2, 1, 10, 3, ""}, PipelineFigures(), PipelineFigures(), {3, 1, 2}, points);
    for (const char* expected : {
             "\"runs\": 2,\n    \"seconds\": 3.000,\n    \"warmup_seconds\": 1.000",
             "{\"particles\": 100000, \"demo_frames\": 3, \"floor_frames\": 3, \"demo_ms\": 15.0000, "
             "\"floor_ms\": 10.0000, \"demo_over_floor\": 1.500}",
             "{\"particles\": 1400000, \"demo_frames\": 2, \"floor_frames\": 2, \"demo_ms\": 41.0000, "
             "\"floor_ms\": 25.0000, \"demo_over_floor\": 1.640}",
             "\"demo_fit\": {\"ms_per_million\": 20.3748, \"ms_at_none\": 12.7962}",
             "\"floor_fit\": {\"ms_per_million\": 14.8537, \"ms_at_none\": 7.0430}",
         })
        EXPECT_NE(json.find(expected), std::string::npos) << expected << " in\n" << json;

    std::string table =
        benchmarkTable("r", {10, 2, 1, 10, 3, ""}, PipelineFigures(), PipelineFigures(), {3, 1, 2}, points);
    EXPECT_NE(table.find("  2800000     70.000     50.000   1.400"), std::string::npos) << table;
    EXPECT_NE(table.find("demo 20.375, floor 14.854"), std::string::npos) << table;

    std::string one =
        benchmarkJson("r", {10, 2, 1, 10, 3, ""}, PipelineFigures(), PipelineFigures(), {3, 1, 1}, {points.front()});
    EXPECT_NE(one.find("\"demo_fit\": null,\n    \"floor_fit\": null"), std::string::npos) << one;
}
