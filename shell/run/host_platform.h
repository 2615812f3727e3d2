#pragma once

#include "shell/run/frame_loop.h"
#include "shell/host.h"

#include <cstdint>

// What the run asks of the window.
struct WindowRequest {
    // Borderless over the primary monitor at its resolution: the platform
    // resizes the demo to the monitor before it makes the window.
    bool fullscreen;
    // 0 or more: the swap interval to set; -1: leave the driver's default.
    int swapInterval;
    // A 3.2 forward-compatible core context in place of the legacy one,
    // where the platform offers the choice (the GLFW host; the others always
    // make the one they make).
    bool coreProfile;
};

// What a platform supplies to the one run sequence (run_sequence.h): each
// platform fills in this table, and the sequence calls every entry, in the
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
    // Before each frame: handles pending events; true when it handled any,
    // so that no frame is drawn until the queue is empty.
    bool (*handleEvents)();
    // Escape, a close request, a quit message, or the window lost.
    bool (*runEnded)();
    void (*present)();
    // After the last frame, the platform's last word on the window: whether
    // it is still there or was destroyed under the run. The window and its
    // context stay until the process exits, current, for the run's end reads
    // the last picture from them.
    LoopEnd (*windowAtEnd)();
    // Where the browser calls back for every frame: starts those calls,
    // which step the run and finish it, and never returns. Null where the
    // host loops the steps itself.
    void (*handOverFrames)();
};

// The platform this program was built for.
const HostPlatform& hostPlatform();
