#include "shell/diagnostics.h"
#include "shell/run/gl_context.h"
#include "shell/run/host_platform.h"
#include "shell/win32/win32_window.h"
#include "shell/win32/win32_window_procedure.h"

#include <GL/glew.h>
#include <GL/wglew.h>
#include <windows.h>

static HostWindow hostWindow;
static MSG message;

// The window class and the timer need no set-up before the window.
static void startWindowSystem() { }

static int64_t readTimer()
{
    LARGE_INTEGER reading;
    QueryPerformanceCounter(&reading);
    return reading.QuadPart;
}

static int64_t timerFrequency()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

static int openWindow(Demo demo, WindowRequest request)
{
    // A borderless window the primary monitor's size, centred, covers it exactly.
    if (request.fullscreen)
        demo.resize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    setWindowMouseHandler(demo.handleMouse);
    registerHostWindowClass(GetModuleHandleA(nullptr));
    hostWindow = createHostWindow(demo.configuration());
    attachRenderingContext(hostWindow, 0);
    if (demo.configuration().multisampling)
        hostWindow = switchToMultisampleWindow(hostWindow, demo.configuration());

    loadOpenGlEntryPoints();
    if (request.swapInterval >= 0 && wglSwapIntervalEXT)
        wglSwapIntervalEXT(request.swapInterval);
    // What is in force, where the driver can say: a driver's settings can
    // override what was asked.
    return wglGetSwapIntervalEXT ? wglGetSwapIntervalEXT() : -1;
}

static void windowReady(Demo demo) { SetWindowTextA(hostWindow.window, demo.configuration().title); }

// One message at a time, so that a quit is seen before the next one.
static bool handleEvents()
{
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        return false;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

static bool runEnded() { return message.message == WM_QUIT; }

static void present() { SwapBuffers(hostWindow.deviceContext); }

// The class is unregistered while its window may still exist (after Escape
// it does), which Win32 refuses: the class then goes with the process, as
// the window and its context do, so the refusal only goes to the debugger.
// A window the system closed is destroyed and has no picture left to save.
static LoopEnd windowAtEnd()
{
    const DWORD error = unregisterHostWindowClass(GetModuleHandleA(nullptr));
    if (error != 0)
        debugPrint("The window class stays registered until the process exits (error %lu).\n", error);
    return IsWindow(hostWindow.window) ? LoopEnd::WindowOpen : LoopEnd::WindowGone;
}

const HostPlatform& hostPlatform()
{
    static const HostPlatform win32 = {startWindowSystem, readTimer, timerFrequency, openWindow,  windowReady,
                                       handleEvents,      runEnded,  present,        windowAtEnd, nullptr};
    return win32;
}
