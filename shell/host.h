#pragma once

#include "demo/scene.h"

#include <cstdint>

// Where a host sends the demo's mouse events.
using MouseHandler = void (*)(int x, int y, MouseEvent kind);

// The one contract between a host and the demo it runs. The host reaches the
// demo only through this record, so a test or a tool can hand a host a demo
// of its own (a recorder, a scripted replay) without replacing symbols.
struct Demo {
    AppConfig (*configuration)();
    // Where the effect file is searched first, in place of the built-in
    // resource directory; called before initialise, if at all.
    void (*useResourceDirectory)(const char* directory);
    // Once the context is current and the GL entry points are loaded; and
    // again after the browser gives back a context it took away, whose GL
    // objects went with it: every one is made anew from the effect file
    // already read, and the particles start from birth.
    void (*initialise)();
    void (*update)(uint32_t elapsedMicroseconds);
    void (*render)();
    MouseHandler handleMouse;
    // The effect file the shaders were built from (after initialise), and a
    // rebuild from what it holds now: on failure the programs that last
    // built stay in use and the reason is printed, never fatal.
    const char* (*effectFilePath)();
    void (*reloadShaders)();
    // How many particles the demo simulates, for the benchmark's report.
    int64_t (*particleCount)();
    // Before initialise, where the command line asks for another count.
    void (*useParticleCount)(int64_t count);
    // The window's client size: before initialise it sets what configuration
    // reports; afterwards the demo's surfaces follow it too.
    void (*resize)(int width, int height);
    // A folder searched after the resource directory and the working
    // directory, in the order added: those beside the installed program.
    // Called before initialise; null in a demo that reads no effect file.
    void (*addFallbackDirectory)(const char* directory);
};

// The swap interval the command line asks for, or the demo's own choice.
enum class VerticalSync { AsConfigured, On, Off };

// What the command line asks of a run. With every field at its default the
// demo runs as it always has: until Escape, on the measured clock.
struct RunOptions {
    const char* assetsDirectory = nullptr; // null: the demo's own
    int64_t frameLimit = 0;                // presented frames; 0: no limit
    const char* screenshotPath = nullptr;  // PNG of the last frame
    uint32_t fixedStepMicroseconds = 0;    // 0: the timer's elapsed time
    bool benchmark = false;
    double benchmarkSeconds = 10;
    double warmupSeconds = 2;
    const char* statsFilePath = nullptr; // JSON of the benchmark
    bool watch = false;                  // rebuild the shaders when the effect file changes
    int width = 0, height = 0;           // the window's client size; 0: the demo's own
    bool fullscreen = false;             // borderless over the primary monitor, at its size
    VerticalSync verticalSync = VerticalSync::AsConfigured;
    int64_t particleCount = 0;             // 0: the demo's own
    const char* recordDirectory = nullptr; // a PNG per presented frame, numbered from 1
    // A core-profile context where the platform offers the choice; the
    // command line never asks for one, the suites' own start-up does.
    bool coreProfile = false;
};

// The run: creates the window and context, initialises the demo, runs frames
// until the run is over and returns the process's exit status. In the
// browser it never returns: the end of the run ends the process.
int runHost(Demo demo, const RunOptions& options);
