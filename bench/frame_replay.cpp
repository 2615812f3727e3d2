// The scripted replay: the demo through the host's one start-up and main
// loop, on a fixed step, with a drag played at set frames in place of the
// window's mouse, so that its last frame is the same on every machine and
// can be held against a reference picture.
//   frame_replay OUTPUT.png
// Run it from a folder whose "../assets/" holds the effect file (the build
// folder does).
#include "shell/host.h"
#include "shell/run/mouse_input.h"
#include "shell/run/vanteel_demo.h"

#include <cstdio>

static constexpr int ReplayFrameCount = 36;
static constexpr uint32_t ReplayStepMicroseconds = 50000;

// The drag: pressed at frame 4, pulled up and to the right until frame 19,
// released at frame 22, so the last frames show the stream and the burst.
static constexpr int PressFrame = 4;
static constexpr int LastMoveFrame = 19;
static constexpr int ReleaseFrame = 22;
static constexpr int StartX = 360, StartY = 620, StepX = 20, StepY = -18;

static Demo demo;
static MouseInput input;
static int frame;

static void deliver(MouseDelivery delivery)
{
    if (delivery.deliver)
        demo.handleMouse(delivery.x, delivery.y, delivery.kind);
}

static void playScript()
{
    const int x = StartX + StepX * (frame - PressFrame), y = StartY + StepY * (frame - PressFrame);
    if (frame == PressFrame)
        deliver(pressLeftButton(&input, x, y, 0));
    else if (frame > PressFrame && frame <= LastMoveFrame)
        deliver(movePointer(&input, x, y));
    else if (frame == ReleaseFrame)
        deliver(releaseLeftButton(&input, StartX + StepX * (LastMoveFrame - PressFrame),
                                  StartY + StepY * (LastMoveFrame - PressFrame)));
}

// Every frame begins with its update, so the script's events land between
// frames, where the host delivers the window's.
static void scriptedUpdate(uint32_t elapsedMicroseconds)
{
    playScript();
    ++frame;
    demo.update(elapsedMicroseconds);
}

// A pointer over the window would make every run a different one.
static void ignoreWindowMouse(int, int, MouseEvent) { }

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: frame_replay OUTPUT.png\n");
        return 2;
    }
    demo = vanteelDemo();
    input = startMouseInput(demo.configuration().width, demo.configuration().height);
    Demo replay = demo;
    replay.update = scriptedUpdate;
    replay.handleMouse = ignoreWindowMouse;

    RunOptions options;
    options.fixedStepMicroseconds = ReplayStepMicroseconds;
    options.frameLimit = ReplayFrameCount;
    options.screenshotPath = argv[1];
    return runHost(replay, options);
}
