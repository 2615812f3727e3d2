#pragma once

#include "shell/run/frame_loop.h"
#include "shell/host.h"

#include <cstdint>

// What the command line asks of the window.
struct WindowRequest {
    // Borderless over the primary monitor at its resolution: the platform
    // resizes the demo to the monitor before it makes the window.
    bool fullscreen;
    // 0 or more: the swap interval to set; -1: leave the driver's default.
    int swapInterval;
};

// What a platform supplies to the one start-up sequence (runHost): each
// platform fills in this table, and the sequence calls its entries in the
// same order on every platform.
struct HostPlatform {
    // Before the timer is first read: the window system, where the timer needs it.
    void (*startWindowSystem)();
    int64_t (*readTimer)();
    int64_t (*timerFrequency)();
    // The demo's window with its context current, its input routed to the
    // demo, the GL entry points loaded and the swap interval set; returns
    // the interval in force as the driver reports it, or -1 where the driver
    // cannot say.
    int (*openWindow)(Demo demo, WindowRequest request);
    // Once the demo is initialised: the caption, and any watch on the window.
    void (*windowReady)(Demo demo);
    // Handles pending events; true when it handled any, so that no frame is
    // drawn until the queue is empty.
    bool (*handleEvents)();
    // Escape, a close request, a quit message, or the window lost.
    bool (*runEnded)();
    void (*present)();
    // After the last frame: releases what the platform holds, and says
    // whether the window is still there to read from.
    LoopEnd (*closeWindow)();
    // Where the browser calls back for every frame, the platform takes the
    // loop over and never returns; null on platforms whose loop blocks.
    void (*handOverFrames)(FrameLoop* loop);
};

// The platform this program was built for.
const HostPlatform& hostPlatform();

// The frames of a blocking loop until the run ends: events first, a frame
// whenever none is pending.
void runFrames(const HostPlatform& platform, FrameLoop* loop);
