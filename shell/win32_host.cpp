#include "diagnostics.h"
#include "frame_loop.h"
#include "gl_context.h"
#include "host.h"
#include "win32_window.h"
#include "win32_window_procedure.h"

#include <GL/glew.h>
#include <GL/wglew.h>
#include <windows.h>

static HostWindow hostWindow;

static void presentFrame() { SwapBuffers(hostWindow.deviceContext); }

static int64_t readTimer()
{
    LARGE_INTEGER reading;
    QueryPerformanceCounter(&reading);
    return reading.QuadPart;
}

int runHost(Demo demo, const RunOptions& options)
{
    makeOutOfMemoryFatal();
    const int64_t startReading = readTimer();
    if (options.assetsDirectory)
        demo.useResourceDirectory(options.assetsDirectory);
    setWindowMouseHandler(demo.handleMouse);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    registerHostWindowClass(instance);
    hostWindow = createHostWindow(demo.configuration());
    attachRenderingContext(hostWindow, 0);
    if (demo.configuration().multisampling)
        hostWindow = switchToMultisampleWindow(hostWindow, demo.configuration());

    loadOpenGlEntryPoints();
    int swapInterval = -1; // the driver's default
    if (!demo.configuration().verticalSync && wglSwapIntervalEXT) {
        wglSwapIntervalEXT(0);
        swapInterval = 0;
    }
    // What is in force, where the driver can say.
    if (wglGetSwapIntervalEXT)
        swapInterval = wglGetSwapIntervalEXT();
    demo.initialise();
    SetWindowTextA(hostWindow.window, demo.configuration().title);

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    FrameClock clock = {frequency.QuadPart, readTimer()};
    FrameLoop loop = startFrameLoop(demo, options, readTimer, clock, startReading, swapInterval);

    MSG message = {};
    while (message.message != WM_QUIT && !loopOver(loop)) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            continue;
        }
        runLoopFrame(&loop, presentFrame);
    }

    unregisterHostWindowClass(instance);
    // Closed by the system rather than by Escape: the window is destroyed
    // and has no picture left to save.
    return finishFrameLoop(&loop, IsWindow(hostWindow.window) ? LoopEnd::WindowOpen : LoopEnd::WindowGone);
}
