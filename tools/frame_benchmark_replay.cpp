#include "frame_benchmark_replay.h"

#include "frame_step.h"
#include "mouse_input.h"
#include "particles.h"
#include "scene.h"

#include <GL/glew.h>

#include <cstring>

// The drag: pressed at frame 4, pulled up and to the right until frame 19,
// released at frame 22, so the last frames show the stream and the burst.
static constexpr int PressFrame = 4;
static constexpr int LastMoveFrame = 19;
static constexpr int ReleaseFrame = 22;
static constexpr int StartX = 360, StartY = 620, StepX = 20, StepY = -18;

static SwapBuffers swapBuffers;
static RgbImage captured;
static bool captureThisFrame;

static void deliver(MouseDelivery delivery)
{
    if (delivery.deliver)
        handleMouse(delivery.x, delivery.y, delivery.kind);
}

static void playScript(MouseInput* input, int frame)
{
    int x = StartX + StepX * (frame - PressFrame), y = StartY + StepY * (frame - PressFrame);
    if (frame == PressFrame)
        deliver(pressLeftButton(input, x, y, 0));
    else if (frame > PressFrame && frame <= LastMoveFrame)
        deliver(movePointer(input, x, y));
    else if (frame == ReleaseFrame)
        deliver(releaseLeftButton(input, StartX + StepX * (LastMoveFrame - PressFrame),
                                  StartY + StepY * (LastMoveFrame - PressFrame)));
}

// The back buffer holds the finished frame until the swap.
static void captureAndSwap()
{
    if (captureThisFrame) {
        const AppConfig config = appConfig();
        RgbImage image;
        image.width = config.width;
        image.height = config.height;
        image.pixels.assign(size_t(config.width) * size_t(config.height) * 3, 0);
        std::vector<unsigned char> bottomUp(image.pixels.size());
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, config.width, config.height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
        const size_t row = size_t(config.width) * 3;
        for (int y = 0; y < config.height; ++y)
            std::memcpy(&image.pixels[size_t(y) * row], &bottomUp[size_t(config.height - 1 - y) * row], row);
        captured = image;
    }
    swapBuffers();
}

RgbImage replayScriptedRun(SwapBuffers swap)
{
    swapBuffers = swap;
    MouseInput input = startMouseInput(appConfig().width, appConfig().height);
    initialise();
    FrameClock clock = {1000000, 0};
    for (int frame = 0; frame < ReplayFrameCount; ++frame) {
        playScript(&input, frame);
        captureThisFrame = frame == ReplayFrameCount - 1;
        runFrame(&clock, clock.previousReading + ReplayStepMicroseconds, captureAndSwap);
    }
    return captured;
}
