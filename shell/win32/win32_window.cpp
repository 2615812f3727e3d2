#include "shell/win32/win32_window.h"

#include "shell/diagnostics.h"
#include "shell/run/window_placement.h"
#include "shell/win32/win32_pixel_format.h"
#include "shell/win32/win32_window_procedure.h"

const char* const HostWindowClassName = "Kov App";

constexpr DWORD HostWindowStyle = WS_POPUP | WS_VISIBLE | WS_SYSMENU;
// Only used to turn the client size into a window size.
constexpr DWORD HostSizingExtendedStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;

// Win32 tells why a call failed only through the thread's last error, which
// the next call may overwrite: callers come here straight from the failure.
[[noreturn]] static void win32CallFailed(const char* call)
{
    fatalError("%s failed (error %lu).\n", call, GetLastError());
}

void registerHostWindowClass(HINSTANCE instance)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_CLASSDC | CS_DBLCLKS;
    windowClass.lpfnWndProc = hostWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // The program's icon resource (vanteel.rc); none in a test program, which gets Windows' own.
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    windowClass.lpszClassName = HostWindowClassName;
    if (!RegisterClassExA(&windowClass))
        win32CallFailed("RegisterClassExA");
}

DWORD unregisterHostWindowClass(HINSTANCE instance)
{
    return UnregisterClassA(HostWindowClassName, instance) ? 0 : GetLastError();
}

WindowPlacement placeHostWindow(int clientWidth, int clientHeight, int screenWidth, int screenHeight)
{
    RECT bounds;
    SetRect(&bounds, 0, 0, clientWidth, clientHeight);
    AdjustWindowRectEx(&bounds, HostWindowStyle, FALSE, HostSizingExtendedStyle);
    int width = bounds.right - bounds.left;
    int height = bounds.bottom - bounds.top;
    return {centredWindowOrigin(screenWidth, width), centredWindowOrigin(screenHeight, height), width, height};
}

static HWND createWindowAt(WindowPlacement placement)
{
    HWND window = CreateWindowExA(0, HostWindowClassName, HostWindowClassName, HostWindowStyle, placement.x,
                                  placement.y, placement.width, placement.height, nullptr, nullptr, nullptr, nullptr);
    if (!window)
        win32CallFailed("CreateWindowExA");
    return window;
}

static WindowPlacement centredPlacement(const AppConfig& config)
{
    return placeHostWindow(config.width, config.height, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

HostWindow createHostWindow(const AppConfig& config)
{
    HWND window = createWindowAt(centredPlacement(config));
    return {window, GetDC(window)};
}

void attachRenderingContext(HostWindow window, int format)
{
    PIXELFORMATDESCRIPTOR descriptor = hostPixelFormatDescriptor();
    if (format == 0)
        format = ChoosePixelFormat(window.deviceContext, &descriptor);
    if (!SetPixelFormat(window.deviceContext, format, &descriptor))
        win32CallFailed("SetPixelFormat");
    HGLRC context = wglCreateContext(window.deviceContext);
    if (!context)
        win32CallFailed("wglCreateContext");
    if (!wglMakeCurrent(window.deviceContext, context))
        win32CallFailed("wglMakeCurrent");
}

HostWindow switchToMultisampleWindow(HostWindow first, const AppConfig& config)
{
    // Through void*: the generic PROC type does not convert to the real one
    // without a cast-function-type warning.
    auto choosePixelFormat = reinterpret_cast<PFNWGLCHOOSEPIXELFORMATARBPROC>(
        reinterpret_cast<void*>(wglGetProcAddress("wglChoosePixelFormatARB")));
    if (!choosePixelFormat)
        fatalError("Could not load function pointer for 'wglChoosePixelFormatARB'.  Is your driver properly "
                   "installed?");
    return applyMultisampleFormat(first, searchMultisamplePixelFormat(first.deviceContext, choosePixelFormat), config);
}

HostWindow applyMultisampleFormat(HostWindow first, int format, const AppConfig& config)
{
    if (format == 0)
        return first;

    // A window's pixel format is set once, so the format needs a new window.
    // The first context is left alone.
    DestroyWindow(first.window);
    WindowPlacement placement = centredPlacement(config);
    HWND window = createWindowAt(placement);
    SetWindowPos(window, nullptr, placement.x, placement.y, placement.width, placement.height, 0);
    HostWindow second = {window, GetDC(window)};
    attachRenderingContext(second, format);
    return second;
}
