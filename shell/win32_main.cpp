#include "diagnostics.h"
#include "frame_step.h"
#include "gl_context.h"
#include "particles.h"
#include "scene.h"
#include "win32_window.h"

#include <GL/glew.h>
#include <GL/wglew.h>
#include <windows.h>

// The test build turns multisampling on to run the pixel-format search,
// which the demo's own configuration leaves off.
static AppConfig hostConfig()
{
    AppConfig config = appConfig();
#if defined(VANTEEL_MULTISAMPLING)
    config.multisampling = 1;
#endif
    return config;
}

static HostWindow hostWindow;

static void presentFrame() { SwapBuffers(hostWindow.deviceContext); }

static int64_t readTimer()
{
    LARGE_INTEGER reading;
    QueryPerformanceCounter(&reading);
    return reading.QuadPart;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    makeOutOfMemoryFatal();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    registerHostWindowClass(instance);
    hostWindow = createHostWindow(hostConfig());
    attachRenderingContext(hostWindow, 0);
    if (hostConfig().multisampling)
        hostWindow = switchToMultisampleWindow(hostWindow, hostConfig());

    loadOpenGlEntryPoints();
    if (!hostConfig().verticalSync && wglSwapIntervalEXT)
        wglSwapIntervalEXT(0);
    initialise();
    SetWindowTextA(hostWindow.window, hostConfig().title);

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    FrameClock clock = {frequency.QuadPart, readTimer()};

    MSG message = {};
    while (message.message != WM_QUIT) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            continue;
        }
        runFrame(&clock, readTimer(), presentFrame);
    }

    unregisterHostWindowClass(instance);
    return 0;
}
