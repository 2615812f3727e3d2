// The frame benchmark: runs the demo's real frame loop, then the same loop
// with the trivial shaders of the floor effect file, each in a child process
// of its own (the shader store reads its effect file once per process), and
// reports wall time per frame, GPU time per pass, time to the first frame and
// peak memory, with the demo/floor ratios, as a table and as JSON.
//   frame_benchmark [--frames N] [--warmup N] [--runs N] [--json PATH]
//   frame_benchmark --replay OUTPUT.png     the scripted replay's last frame
//   frame_benchmark --probe                 the renderer of the display
#include "frame_benchmark_child.h"
#include "frame_benchmark_replay_window.h"
#include "frame_benchmark_report.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

[[noreturn]] static void fail(const std::string& message)
{
    std::fprintf(stderr, "frame_benchmark: %s\n", message.c_str());
    std::exit(1);
}

struct ChildResult {
    std::string output;
    int64_t spawnedAt;
    double peakResidentMebibytes;
};

// Runs this executable again as a measuring child working in `directory`.
static ChildResult runChild(const fs::path& directory, const BenchmarkSettings& settings)
{
    int channel[2];
    if (pipe(channel) != 0)
        fail("pipe failed");
    std::fflush(nullptr);
    ChildResult result = {"", monotonicNanoseconds(), 0};
    pid_t child = fork();
    if (child < 0)
        fail("fork failed");
    if (child == 0) {
        dup2(channel[1], STDOUT_FILENO);
        close(channel[0]);
        close(channel[1]);
        if (chdir(directory.c_str()) != 0)
            _exit(127);
        std::string warmup = std::to_string(settings.warmupFrames), frames = std::to_string(settings.measuredFrames);
        execl("/proc/self/exe", "frame_benchmark", "--child", warmup.c_str(), frames.c_str(), nullptr);
        _exit(127);
    }
    close(channel[1]);
    char block[4096];
    ssize_t got;
    while ((got = read(channel[0], block, sizeof block)) > 0)
        result.output.append(block, size_t(got));
    close(channel[0]);
    int status = 0;
    rusage usage = {};
    wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        fail("the measuring child in " + directory.string() + " failed");
    result.peakResidentMebibytes = double(usage.ru_maxrss) / 1024.0;
    return result;
}

static void collect(const ChildResult& result, PipelineFigures* figures, std::string* renderer)
{
    std::istringstream lines(result.output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "renderer") {
            std::getline(fields >> std::ws, *renderer);
        } else if (kind == "first-frame") {
            long long presentedAt = 0;
            fields >> presentedAt;
            figures->firstFrameMilliseconds.push_back(double(presentedAt - result.spawnedAt) * 1e-6);
        } else if (kind == "frame") {
            double wall = 0, poll = 0;
            fields >> wall >> poll;
            figures->wallMilliseconds.push_back(wall);
            figures->pollMilliseconds.push_back(poll);
            for (auto* column : {figures->passMilliseconds, figures->issueMilliseconds})
                for (int pass = 0; pass < TimedPassCount; ++pass) {
                    double milliseconds = 0;
                    fields >> milliseconds;
                    column[pass].push_back(milliseconds);
                }
        } else if (kind == "cpu") {
            double milliseconds = 0;
            fields >> milliseconds;
            figures->cpuMilliseconds.push_back(milliseconds);
        } else if (kind == "stalls") {
            int stalls = 0;
            fields >> stalls;
            figures->stalls += stalls;
        }
    }
    if (figures->peakResidentMebibytes < result.peakResidentMebibytes)
        figures->peakResidentMebibytes = result.peakResidentMebibytes;
}

// <root>/<name>/assets/Shaders.glsl is a copy of effectFile; the child works
// in <root>/<name>/work, so "../assets/" finds it.
static fs::path prepareTree(const fs::path& root, const char* name, const fs::path& effectFile)
{
    fs::path tree = root / name;
    fs::create_directories(tree / "assets");
    fs::create_directories(tree / "work");
    std::error_code error;
    fs::copy_file(effectFile, tree / "assets" / "Shaders.glsl", error);
    if (error)
        fail("cannot copy " + effectFile.string() + ": " + error.message());
    return tree / "work";
}

static int positiveArgument(const char* text)
{
    int value = std::atoi(text);
    if (value <= 0)
        fail(std::string("not a positive count: ") + text);
    return value;
}

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) {
        runMeasuredFrames(positiveArgument(argv[2]), positiveArgument(argv[3]));
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--probe") == 0) {
        printRenderer();
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--replay") == 0) {
        runReplayInWindow(argv[2]);
        return 0;
    }

    BenchmarkSettings settings = {30, 200, 2};
    std::string jsonPath = VANTEEL_BENCH_JSON;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (i + 1 >= argc)
            fail("usage: frame_benchmark [--frames N] [--warmup N] [--runs N] [--json PATH] | --replay OUTPUT.png");
        if (option == "--frames")
            settings.measuredFrames = positiveArgument(argv[++i]);
        else if (option == "--warmup")
            settings.warmupFrames = positiveArgument(argv[++i]);
        else if (option == "--runs")
            settings.runs = positiveArgument(argv[++i]);
        else if (option == "--json")
            jsonPath = argv[++i];
        else
            fail("unknown option " + option);
    }

    char pattern[] = "/tmp/vanteel-frame-benchmark-XXXXXX";
    if (!mkdtemp(pattern))
        fail("mkdtemp failed");
    fs::path root = pattern;
    fs::path demoWork = prepareTree(root, "demo", fs::path(VANTEEL_ASSETS_DIR) / "Shaders.glsl");
    fs::path floorWork = prepareTree(root, "floor", VANTEEL_FLOOR_EFFECT);

    PipelineFigures demo, floor;
    std::string renderer;
    // Alternating runs share out whatever else the machine is doing.
    for (int run = 0; run < settings.runs; ++run) {
        collect(runChild(demoWork, settings), &demo, &renderer);
        collect(runChild(floorWork, settings), &floor, &renderer);
    }
    fs::remove_all(root);

    std::fputs(benchmarkTable(renderer, settings, demo, floor).c_str(), stdout);
    std::ofstream json(jsonPath, std::ios::binary);
    json << benchmarkJson(renderer, settings, demo, floor);
    if (!json)
        fail("cannot write " + jsonPath);
    std::printf("figures written to %s\n", jsonPath.c_str());
    return 0;
}
