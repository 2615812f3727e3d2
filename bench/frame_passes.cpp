// GPU time per pass of the demo's frame. The demo's executable offers no
// timers (they would be an option of the product that only the benchmark
// uses), so this measurement runs the demo in a process of its own, through
// the host's one start-up and main loop, with a Demo record that wraps
// initialise and render to time the passes.
//   frame_passes EFFECT_DIRECTORY WARMUP_FRAMES MEASURED_FRAMES
// Every update advances by the benchmark's fixed step. Prints one line per
// measured frame on standard output:
//   <GPU ms of background, simulation, particles, composite> <ms issuing the same>
// then "stalls N": how many read-backs had to wait on the GPU.
#include "shell/diagnostics.h"
#include "shell/host.h"
#include "pass_timer.h"
#include "shell/run/vanteel_demo.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

static constexpr uint32_t BenchmarkStepMicroseconds = 16667;

static Demo demo;
static std::vector<PassTimes> passTimes; // sized up front: one per frame
static size_t framesRendered;
static size_t framesTimed;

static void takeFinishedFrames(bool drain)
{
    while (framesTimed < framesRendered && takeFinishedFrame(&passTimes[framesTimed], drain))
        ++framesTimed;
}

static void timedInitialise()
{
    demo.initialise();
    installPassTimer();
}

static void timedRender()
{
    demo.render();
    closeFramePasses();
    ++framesRendered;
    takeFinishedFrames(false);
}

static int frameCount(const char* text)
{
    const int count = std::atoi(text);
    checkCondition(count > 0, "frame_passes: not a frame count: %s\n", text);
    return count;
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: frame_passes EFFECT_DIRECTORY WARMUP_FRAMES MEASURED_FRAMES\n");
        return 2;
    }
    const int warmupFrames = frameCount(argv[2]), measuredFrames = frameCount(argv[3]);
    passTimes.resize(size_t(warmupFrames + measuredFrames));

    demo = vanteelDemo();
    Demo timed = demo;
    timed.initialise = timedInitialise;
    timed.render = timedRender;
    RunOptions options;
    options.assetsDirectory = argv[1];
    options.fixedStepMicroseconds = BenchmarkStepMicroseconds;
    options.frameLimit = warmupFrames + measuredFrames;
    const int status = runHost(timed, options);
    if (status != 0)
        return status;

    // The host leaves the context current: the frames still in flight are collected here.
    takeFinishedFrames(true);
    checkCondition(framesTimed == passTimes.size(), "frame_passes: %zu of %zu frames were timed.\n", framesTimed,
                   passTimes.size());
    for (size_t frame = size_t(warmupFrames); frame < passTimes.size(); ++frame) {
        const double* gpu = passTimes[frame].milliseconds;
        const double* issued = passTimes[frame].issueMilliseconds;
        std::printf("%.4f %.4f %.4f %.4f %.4f %.4f %.4f %.4f\n", gpu[BackgroundPass], gpu[SimulationPass],
                    gpu[ParticlePass], gpu[CompositePass], issued[BackgroundPass], issued[SimulationPass],
                    issued[ParticlePass], issued[CompositePass]);
    }
    std::printf("stalls %d\n", passTimerStalls());
    return 0;
}
