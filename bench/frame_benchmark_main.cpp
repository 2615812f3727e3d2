// The frame benchmark: runs the demo's own executable with --benchmark, once
// with the real effect file and once with the trivial shaders of the floor
// effect file, alternating, and reads each run's statistics file; then the
// per-pass timers of frame_passes on both; then, given particle counts, both
// again at each count in shorter runs. Reports frame time, time to the first
// frame, GPU time per pass and peak memory, with the demo/floor ratios, and
// the frame time per million particles, as a table and as JSON.
//   frame_benchmark [--seconds S] [--warmup S] [--runs N] [--pass-frames N] [--json PATH]
//                   [--particle-counts N,N...] [--scaling-seconds S] [--scaling-warmup S] [--scaling-runs N]
#include "frame_benchmark_report.h"
#include "frame_benchmark_spawn.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// Every update advances by this fixed step, so runs simulate the same thing
// whatever the machine's speed.
static const char* const BenchmarkStepMicroseconds = "16667";
static constexpr int PassWarmupFrames = 10;

static const char* const Usage =
    "usage: frame_benchmark [--seconds S] [--warmup S] [--runs N] [--pass-frames N] [--json PATH]\n"
    "                       [--particle-counts N,N...] [--scaling-seconds S] [--scaling-warmup S] [--scaling-runs N]";

[[noreturn]] static void fail(const std::string& message)
{
    std::fprintf(stderr, "frame_benchmark: %s\n", message.c_str());
    std::exit(1);
}

static double seconds(const std::string& text, bool zeroAllowed)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !(value > 0 || (value == 0 && zeroAllowed)))
        fail("not a number of seconds" + std::string(zeroAllowed ? ", 0 or more" : " above 0") + ": " + text + "\n" +
             Usage);
    return value;
}

static int count(const std::string& text)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || value < 1 || value > 1000000)
        fail("not a count from 1 to 1000000: " + text + "\n" + Usage);
    return int(value);
}

// The particle counts of the scaling sweep, in the order given; the demo
// itself refuses a count it cannot simulate.
static std::vector<int64_t> particleCounts(const std::string& text)
{
    std::vector<int64_t> counts;
    std::istringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        char* end = nullptr;
        const long long value = std::strtoll(item.c_str(), &end, 10);
        if (end == item.c_str() || *end != '\0' || value < 1)
            fail("not a list of particle counts, such as 100000,700000: " + text + "\n" + Usage);
        counts.push_back(value);
    }
    if (counts.empty())
        fail("--particle-counts wants at least one count\n" + std::string(Usage));
    return counts;
}

// How long each run of the demo's executable measures, the seconds as they were written.
struct RunLength {
    std::string measured, warmup;
};

// One run of the demo's executable on the effect file in effectDirectory,
// with the demo's own particle count unless particles is given.
static void runDemo(const std::string& effectDirectory, const RunLength& length, const std::string& particles,
                    const fs::path& work, PipelineFigures* figures, std::string* renderer)
{
    const std::string statsPath = (work / "stats.json").string();
    std::vector<std::string> arguments = {VANTEEL_EXECUTABLE,        "--assets",     effectDirectory, "--benchmark",
                                          length.measured,           "--warmup",     length.warmup,   "--fixed-step",
                                          BenchmarkStepMicroseconds, "--stats-file", statsPath};
    if (!particles.empty())
        arguments.insert(arguments.end(), {"--particles", particles});
    ChildRun run = runChild(arguments, work.string());
    std::ifstream statsFile(statsPath);
    const nlohmann::json stats = nlohmann::json::parse(statsFile, nullptr, false);
    if (stats.is_discarded())
        fail("cannot read the statistics file " + statsPath);
    if (!stats.at("complete").get<bool>())
        fail("a run of the demo was cut short: " + statsPath);
    *renderer = stats.at("gl").at("renderer").get<std::string>();
    figures->particles = stats.at("particles").get<int64_t>();
    figures->firstFrameMilliseconds.push_back(stats.at("firstFrameSeconds").get<double>() * 1e3);
    for (double milliseconds : stats.at("frameTimesMilliseconds"))
        figures->wallMilliseconds.push_back(milliseconds);
    if (figures->peakResidentMebibytes < run.peakResidentMebibytes)
        figures->peakResidentMebibytes = run.peakResidentMebibytes;
}

static void timePasses(const std::string& effectDirectory, int frames, const fs::path& work, PipelineFigures* figures)
{
    ChildRun run =
        runChild({VANTEEL_PASSES_EXECUTABLE, effectDirectory, std::to_string(PassWarmupFrames), std::to_string(frames)},
                 work.string());
    std::istringstream lines(run.output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        if (line.compare(0, 7, "stalls ") == 0) {
            fields.ignore(7) >> figures->stalls;
            continue;
        }
        for (auto* column : {figures->passMilliseconds, figures->issueMilliseconds})
            for (int pass = 0; pass < TimedPassCount; ++pass) {
                double milliseconds = 0;
                fields >> milliseconds;
                column[pass].push_back(milliseconds);
            }
        if (!fields)
            fail("frame_passes printed an unreadable line: " + line);
    }
}

// The scratch tree, removed however the benchmark ends.
static fs::path scratchRoot;

static void removeScratchTree()
{
    std::error_code ignored;
    fs::remove_all(scratchRoot, ignored);
}

int main(int argc, char** argv)
{
    // The demo's executable gets the seconds as they were written.
    RunLength length = {"10", "2"}, scalingLength = {"3", "1"};
    std::string jsonPath = VANTEEL_BENCH_JSON;
    BenchmarkSettings settings = {10, 2, 2, PassWarmupFrames, 100, holdChildAllocatorThresholds()};
    ScalingSettings scalingSettings = {3, 1, 1};
    std::vector<int64_t> counts;
    for (int i = 1; i < argc; i += 2) {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            fail(Usage);
        const std::string value = argv[i + 1];
        if (option == "--seconds")
            settings.seconds = seconds(length.measured = value, false);
        else if (option == "--warmup")
            settings.warmupSeconds = seconds(length.warmup = value, true);
        else if (option == "--runs")
            settings.runs = count(value);
        else if (option == "--pass-frames")
            settings.passFrames = count(value);
        else if (option == "--json")
            jsonPath = value;
        else if (option == "--particle-counts")
            counts = particleCounts(value);
        else if (option == "--scaling-seconds")
            scalingSettings.seconds = seconds(scalingLength.measured = value, false);
        else if (option == "--scaling-warmup")
            scalingSettings.warmupSeconds = seconds(scalingLength.warmup = value, true);
        else if (option == "--scaling-runs")
            scalingSettings.runs = count(value);
        else
            fail("unknown option " + option + "\n" + Usage);
    }

    char pattern[] = "/tmp/vanteel-frame-benchmark-XXXXXX";
    if (!mkdtemp(pattern))
        fail("mkdtemp failed");
    scratchRoot = pattern;
    std::atexit(removeScratchTree);
    const fs::path floorDirectory = scratchRoot / "floor", work = scratchRoot / "work";
    fs::create_directories(floorDirectory);
    fs::create_directories(work);
    std::error_code error;
    fs::copy_file(VANTEEL_FLOOR_EFFECT, floorDirectory / "Shaders.glsl", error);
    if (error)
        fail("cannot copy " + std::string(VANTEEL_FLOOR_EFFECT) + ": " + error.message());

    PipelineFigures demo, floor;
    std::string renderer;
    // Alternating runs share out whatever else the machine is doing.
    for (int run = 0; run < settings.runs; ++run) {
        runDemo(VANTEEL_ASSETS_DIR, length, "", work, &demo, &renderer);
        runDemo(floorDirectory.string(), length, "", work, &floor, &renderer);
    }
    timePasses(VANTEEL_ASSETS_DIR, settings.passFrames, work, &demo);
    timePasses(floorDirectory.string(), settings.passFrames, work, &floor);

    std::vector<ScalingPoint> points;
    for (int64_t particles : counts) {
        PipelineFigures demoAtCount, floorAtCount;
        for (int run = 0; run < scalingSettings.runs; ++run) {
            runDemo(VANTEEL_ASSETS_DIR, scalingLength, std::to_string(particles), work, &demoAtCount, &renderer);
            runDemo(floorDirectory.string(), scalingLength, std::to_string(particles), work, &floorAtCount, &renderer);
        }
        if (demoAtCount.particles != particles || floorAtCount.particles != particles)
            fail("a run asked for " + std::to_string(particles) + " particles reports another count");
        points.push_back({particles, demoAtCount.wallMilliseconds, floorAtCount.wallMilliseconds});
    }

    std::fputs(benchmarkTable(renderer, settings, demo, floor, scalingSettings, points).c_str(), stdout);
    std::ofstream json(jsonPath, std::ios::binary);
    json << benchmarkJson(renderer, settings, demo, floor, scalingSettings, points);
    if (!json)
        fail("cannot write " + jsonPath);
    std::printf("figures written to %s\n", jsonPath.c_str());
    return 0;
}
