#include "frame_benchmark_report.h"

#include <gtest/gtest.h>

// Guards the benchmark's statistics: an off-by-one median, unsorted
// samples, and a ratio made up where the floor measured nothing.
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
    std::string json = benchmarkJson("renderer \"x\"", {10, 2, 1, 10, 3}, demo, floor);
    EXPECT_NE(json.find("\"frame\": 1.818"), std::string::npos) << json;
    EXPECT_NE(json.find("\"gpu_simulation\": null"), std::string::npos) << json;
    EXPECT_NE(json.find("\"gpu_particles\": 2.000"), std::string::npos) << json;
    EXPECT_NE(json.find("\"renderer\": \"renderer \\\"x\\\"\""), std::string::npos) << json;

    std::string table = benchmarkTable("r", {10, 2, 1, 10, 3}, demo, floor);
    EXPECT_NE(table.find("1.818"), std::string::npos) << table;
}
