#include "shell/run/command_line.h"

#include "demo/scene.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

static CommandLine parse(const std::vector<const char*>& arguments)
{
    std::vector<const char*> argv = {"vanteel"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return parseCommandLine(int(argv.size()), argv.data());
}

// Guards the promise that a run without options is the demo as it always was.
TEST(CommandLine, NoOptionsRunsWithEveryDefault)
{
    CommandLine line = parse({});
    ASSERT_EQ(line.action, CommandLineAction::Run);
    const RunOptions& options = line.options;
    EXPECT_EQ(options.assetsDirectory, nullptr);
    EXPECT_EQ(options.frameLimit, 0);
    EXPECT_EQ(options.screenshotPath, nullptr);
    EXPECT_EQ(options.fixedStepMicroseconds, 0u);
    EXPECT_FALSE(options.benchmark);
    EXPECT_FALSE(options.watch);
    EXPECT_EQ(options.width, 0);
    EXPECT_FALSE(options.fullscreen);
    EXPECT_EQ(options.verticalSync, VerticalSync::AsConfigured);
    EXPECT_EQ(options.particleCount, 0);
    EXPECT_EQ(options.recordDirectory, nullptr);
}

TEST(CommandLine, EveryOptionTakesItsValueSeparateOrAfterAnEqualsSign)
{
    CommandLine line = parse({"--assets", "/opt/vanteel/assets", "--screenshot", "shot.png", "--fixed-step", "16667",
                              "--benchmark", "3.5", "--warmup=0", "--stats-file", "s.json", "--watch"});
    ASSERT_EQ(line.action, CommandLineAction::Run) << line.problem;
    const RunOptions& options = line.options;
    EXPECT_STREQ(options.assetsDirectory, "/opt/vanteel/assets");
    EXPECT_EQ(parse({"--frames=60"}).options.frameLimit, 60);
    EXPECT_STREQ(options.screenshotPath, "shot.png");
    EXPECT_EQ(options.fixedStepMicroseconds, 16667u);
    EXPECT_TRUE(options.benchmark);
    EXPECT_EQ(options.benchmarkSeconds, 3.5);
    EXPECT_EQ(options.warmupSeconds, 0.0);
    EXPECT_STREQ(options.statsFilePath, "s.json");
    EXPECT_TRUE(options.watch);
}

// The benchmark's seconds are optional: an option after it is not taken for them.
TEST(CommandLine, BenchmarkSecondsAreOptional)
{
    CommandLine line = parse({"--benchmark", "--watch"});
    ASSERT_EQ(line.action, CommandLineAction::Run) << line.problem;
    EXPECT_TRUE(line.options.benchmark);
    EXPECT_EQ(line.options.benchmarkSeconds, 10.0);
    EXPECT_EQ(line.options.warmupSeconds, 2.0);
    EXPECT_TRUE(line.options.watch);
    EXPECT_EQ(parse({"--benchmark"}).options.benchmarkSeconds, 10.0);
}

// Guards the bounds of every number: its smallest and largest values are
// taken as given; the Mistakes table holds the values one past them.
TEST(CommandLine, TheSmallestAndLargestValueOfEveryNumberAreAccepted)
{
    struct Accepted {
        std::vector<const char*> arguments;
        int64_t frames;
        uint32_t step;
        double benchmark, warmup;
    };
    const std::vector<Accepted> accepted = {
        {{"--frames", "1"}, 1, 0, 10, 2},
        {{"--frames", "9223372036854775807"}, INT64_MAX, 0, 10, 2},
        {{"--fixed-step", "1"}, 0, 1, 10, 2},
        {{"--fixed-step", "4294967295"}, 0, UINT32_MAX, 10, 2},
        {{"--benchmark", "0.000001"}, 0, 0, 0.000001, 2},
        {{"--benchmark", "604800"}, 0, 0, 604800, 2},
        {{"--benchmark", "--warmup", "0"}, 0, 0, 10, 0},
        {{"--benchmark", "--warmup", "604800"}, 0, 0, 10, 604800},
    };
    for (const Accepted& row : accepted) {
        CommandLine line = parse(row.arguments);
        const std::string given = std::string(row.arguments[0]) + " " + row.arguments.back();
        ASSERT_EQ(line.action, CommandLineAction::Run) << given << ": " << line.problem;
        EXPECT_EQ(line.options.frameLimit, row.frames) << given;
        EXPECT_EQ(line.options.fixedStepMicroseconds, row.step) << given;
        EXPECT_EQ(line.options.benchmarkSeconds, row.benchmark) << given;
        EXPECT_EQ(line.options.warmupSeconds, row.warmup) << given;
    }
}

// Guards the window, particle and recording options' bounds and the fixed
// step a recording takes unless one is given.
TEST(CommandLine, WindowParticleAndRecordingOptionsReachTheRun)
{
    struct Accepted {
        std::vector<const char*> arguments;
        int width, height;
        int64_t particles;
        VerticalSync sync;
        uint32_t step;
    };
    const VerticalSync Default = VerticalSync::AsConfigured;
    const std::vector<Accepted> accepted = {
        {{"--size", "1x1"}, 1, 1, 0, Default, 0},
        {{"--size=32767x32767"}, 32767, 32767, 0, Default, 0},
        {{"--size", "640x480"}, 640, 480, 0, Default, 0},
        {{"--particles", "1000"}, 0, 0, 1000, Default, 0},
        {{"--particles=76695844"}, 0, 0, 76695844, Default, 0},
        {{"--vsync"}, 0, 0, 0, VerticalSync::On, 0},
        {{"--vsync", "--no-vsync"}, 0, 0, 0, VerticalSync::Off, 0},
        {{"--record", "frames"}, 0, 0, 0, Default, 16667},
        {{"--record", "frames", "--fixed-step", "1000"}, 0, 0, 0, Default, 1000},
    };
    for (const Accepted& row : accepted) {
        CommandLine line = parse(row.arguments);
        const std::string given = std::string(row.arguments[0]) + " " + row.arguments.back();
        ASSERT_EQ(line.action, CommandLineAction::Run) << given << ": " << line.problem;
        EXPECT_EQ(line.options.width, row.width) << given;
        EXPECT_EQ(line.options.height, row.height) << given;
        EXPECT_EQ(line.options.particleCount, row.particles) << given;
        EXPECT_EQ(line.options.verticalSync, row.sync) << given;
        EXPECT_EQ(line.options.fixedStepMicroseconds, row.step) << given;
    }
    EXPECT_TRUE(parse({"--fullscreen"}).options.fullscreen);
    EXPECT_STREQ(parse({"--record=out"}).options.recordDirectory, "out");
}

TEST(CommandLine, HelpWinsOverVersionAndRuns)
{
    EXPECT_EQ(parse({"-h"}).action, CommandLineAction::Help);
    EXPECT_EQ(parse({"-V"}).action, CommandLineAction::Version);
    EXPECT_EQ(parse({"--version"}).action, CommandLineAction::Version);
    EXPECT_EQ(parse({"--version", "--help"}).action, CommandLineAction::Help);
    EXPECT_EQ(parse({"--watch", "--help"}).action, CommandLineAction::Help);
}

// Guards mistakes being taken for options or values: each must be refused,
// naming what was wrong, before anything starts.
TEST(CommandLine, MistakesAreRefusedWithWhatWasWrong)
{
    struct Mistake {
        std::vector<const char*> arguments;
        const char* named;
    };
    const std::vector<Mistake> mistakes = {
        {{"--full-screen"}, "unknown option \"--full-screen\""},
        {{"-v"}, "unknown option \"-v\""},
        {{"-h=1"}, "unknown option \"-h=1\""},
        {{"--size", "0x0"}, "--size wants"},
        {{"--size", "640"}, "--size wants"},
        {{"--size", "-5x5"}, "--size wants"},
        {{"--size", "640x"}, "--size wants"},
        {{"--size", "32768x1"}, "--size wants"},
        {{"--size", "1x32768"}, "--size wants"},
        {{"--size", "640x480x2"}, "--size wants"},
        {{"--size", "640X480"}, "--size wants"},
        {{"--particles", "999"}, "--particles wants"},
        {{"--particles", "76695845"}, "--particles wants"},
        {{"--particles", "1e6"}, "--particles wants"},
        {{"--vsync=1"}, "--vsync takes no value"},
        {{"--record", ""}, "--record wants a directory"},
        {{"--record", "r", "--benchmark"}, "--record and --benchmark do not go together"},
        {{"--fullscreen", "--size", "640x480"}, "--size and --fullscreen do not go together"},
        {{"assets"}, "unexpected argument \"assets\""},
        {{"--frames"}, "--frames needs a value"},
        {{"--frames", "0"}, "--frames wants"},
        {{"--frames", "-3"}, "--frames wants"},
        {{"--frames", "12x"}, "\"12x\""},
        {{"--frames", "9223372036854775808"}, "--frames wants"},
        {{"--frames", "99999999999999999999999"}, "--frames wants"},
        {{"--fixed-step", "0"}, "--fixed-step wants"},
        {{"--fixed-step", "4294967296"}, "--fixed-step wants"},
        {{"--fixed-step", "1.5"}, "--fixed-step wants"},
        {{"--benchmark", "0"}, "--benchmark wants"},
        {{"--benchmark", "ten"}, "--benchmark wants"},
        {{"--benchmark", "inf"}, "--benchmark wants"},
        {{"--benchmark", "604800.0000001"}, "--benchmark wants"},
        {{"--benchmark", "--warmup", "-1"}, "--warmup wants"},
        {{"--benchmark", "--warmup", "604800.0000001"}, "--warmup wants"},
        {{"--warmup", "1"}, "--warmup belongs to --benchmark"},
        {{"--stats-file", "s.json"}, "--stats-file belongs to --benchmark"},
        {{"--benchmark", "--frames", "5"}, "--frames and --benchmark do not go together"},
        {{"--assets", ""}, "--assets wants a directory"},
        {{"--screenshot="}, "--screenshot wants a file name"},
        {{"--watch=yes"}, "--watch takes no value"},
    };
    for (const Mistake& mistake : mistakes) {
        CommandLine line = parse(mistake.arguments);
        EXPECT_EQ(line.action, CommandLineAction::UsageError) << mistake.named;
        EXPECT_NE(line.problem.find(mistake.named), std::string::npos) << line.problem;
    }
}

TEST(CommandLine, AMistakeIsReportedOnOneLineWithTheUsage)
{
    std::string line = usageErrorLine("unknown option \"--x\"");
    EXPECT_EQ(line.rfind("vanteel: unknown option \"--x\"; usage: vanteel [--help]", 0), 0u) << line;
    EXPECT_EQ(line.find('\n'), line.size() - 1);
    EXPECT_NE(helpText().find("--fixed-step MICROSECONDS"), std::string::npos);
    EXPECT_EQ(versionText().rfind("Vanteel ", 0), 0u);
}

// The figures --help gives are the ones a run gets: the benchmark's seconds as
// parsed, the window the demo asks for, and the particle bounds the parser
// enforces and its complaint names.
TEST(CommandLine, TheHelpGivesTheDefaultsAndBoundsARunGets)
{
    const std::string help = helpText();
    const RunOptions benchmark = parse({"--benchmark"}).options;
    char expected[96];
    std::snprintf(expected, sizeof expected, "SECONDS (%g) after", benchmark.benchmarkSeconds);
    EXPECT_NE(help.find(expected), std::string::npos) << expected;
    std::snprintf(expected, sizeof expected, "warm-up (%g)\n", benchmark.warmupSeconds);
    EXPECT_NE(help.find(expected), std::string::npos) << expected;
    std::snprintf(expected, sizeof expected, "pixels (%dx%d)\n", appConfig().width, appConfig().height);
    EXPECT_NE(help.find(expected), std::string::npos) << expected;
    std::snprintf(expected, sizeof expected, "particles (%lld), ", (long long)DefaultParticleCount);
    const size_t particles = help.find(expected);
    ASSERT_NE(particles, std::string::npos) << expected;

    long long smallest = 0, largest = 0;
    ASSERT_EQ(std::sscanf(help.c_str() + particles + std::strlen(expected), "from %lld to %lld\n", &smallest, &largest),
              2);
    for (long long count : {smallest, largest}) {
        const std::string text = std::to_string(count);
        EXPECT_EQ(parse({"--particles", text.c_str()}).action, CommandLineAction::Run) << text;
    }
    const std::string bounds = "from " + std::to_string(smallest) + " to " + std::to_string(largest);
    for (long long count : {smallest - 1, largest + 1}) {
        const std::string text = std::to_string(count);
        const CommandLine line = parse({"--particles", text.c_str()});
        EXPECT_EQ(line.action, CommandLineAction::UsageError) << text;
        EXPECT_NE(line.problem.find(bounds), std::string::npos) << line.problem;
    }
}
