#pragma once

#include "demo/scene.h"

#include <windows.h>

// The demo's window and the device context its frames are presented on.
struct HostWindow {
    HWND window;
    HDC deviceContext;
};

// Where a window of a given size sits when centred on the screen.
struct WindowPlacement {
    int x, y, width, height;
};

extern const char* const HostWindowClassName;

// Registering the class, creating a window and attaching a context are fatal
// when a Win32 call fails, with a message naming the call and its error.
void registerHostWindowClass(HINSTANCE instance);
// 0 once the class is gone, or the Win32 error that kept it: while a window
// of the class still exists, ERROR_CLASS_HAS_WINDOWS.
DWORD unregisterHostWindowClass(HINSTANCE instance);

// The window size for a client area of clientWidth by clientHeight, centred
// by integer halves, its top-left corner kept on screen.
WindowPlacement placeHostWindow(int clientWidth, int clientHeight, int screenWidth, int screenHeight);

// A visible, borderless, centred window of the registered class, with the
// configured client size and the class name as its caption.
HostWindow createHostWindow(const AppConfig& config);

// Sets the pixel format on the window (choosing one for the host descriptor
// when format is 0), then creates a rendering context and makes it current.
void attachRenderingContext(HostWindow window, int format);

// Replaces the window and its context by ones with the best multisampled
// format the driver offers (fatal when the driver lacks the entry point).
HostWindow switchToMultisampleWindow(HostWindow first, const AppConfig& config);

// The second half of the switch: a new window with the format and a new
// context, the first window destroyed. With no format (0) the first window
// and context stay in use, rather than an invalid format being set.
HostWindow applyMultisampleFormat(HostWindow first, int format, const AppConfig& config);
