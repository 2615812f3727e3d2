// The frame benchmark: runs the demo's own executable with --benchmark, once
// with the real effect file and once with the trivial shaders of the floor
// effect file, alternating, and reads each run's statistics file; then the
// per-pass timers of frame_passes on both. Reports frame time, time to the
// first frame, GPU time per pass and peak memory, with the demo/floor ratios,
// as a table and as JSON.
//   frame_benchmark [--seconds S] [--warmup S] [--runs N] [--pass-frames N] [--json PATH]
#include "frame_benchmark_report.h"
#include "frame_benchmark_spawn.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

// Every update advances by this fixed step, so runs simulate the same thing
// whatever the machine's speed.
static const char* const BenchmarkStepMicroseconds = "16667";
static constexpr int PassWarmupFrames = 10;

static const char* const Usage =
    "usage: frame_benchmark [--seconds S] [--warmup S] [--runs N] [--pass-frames N] [--json PATH]";

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

// One run of the demo's executable on the effect file in effectDirectory.
static void runDemo(const std::string& effectDirectory, const std::string& measuredText, const std::string& warmupText,
                    const fs::path& work, PipelineFigures* figures, std::string* renderer)
{
    const std::string statsPath = (work / "stats.json").string();
    ChildRun run = runChild({VANTEEL_EXECUTABLE, "--assets", effectDirectory, "--benchmark", measuredText, "--warmup",
                             warmupText, "--fixed-step", BenchmarkStepMicroseconds, "--stats-file", statsPath},
                            work.string());
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
    std::string measuredText = "10", warmupText = "2", jsonPath = VANTEEL_BENCH_JSON;
    BenchmarkSettings settings = {10, 2, 2, PassWarmupFrames, 100};
    for (int i = 1; i < argc; i += 2) {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            fail(Usage);
        const std::string value = argv[i + 1];
        if (option == "--seconds")
            settings.seconds = seconds(measuredText = value, false);
        else if (option == "--warmup")
            settings.warmupSeconds = seconds(warmupText = value, true);
        else if (option == "--runs")
            settings.runs = count(value);
        else if (option == "--pass-frames")
            settings.passFrames = count(value);
        else if (option == "--json")
            jsonPath = value;
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
        runDemo(VANTEEL_ASSETS_DIR, measuredText, warmupText, work, &demo, &renderer);
        runDemo(floorDirectory.string(), measuredText, warmupText, work, &floor, &renderer);
    }
    timePasses(VANTEEL_ASSETS_DIR, settings.passFrames, work, &demo);
    timePasses(floorDirectory.string(), settings.passFrames, work, &floor);

    std::fputs(benchmarkTable(renderer, settings, demo, floor).c_str(), stdout);
    std::ofstream json(jsonPath, std::ios::binary);
    json << benchmarkJson(renderer, settings, demo, floor);
    if (!json)
        fail("cannot write " + jsonPath);
    std::printf("figures written to %s\n", jsonPath.c_str());
    return 0;
}
