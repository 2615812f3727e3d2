#include "shell/win32/win32_window_procedure.h"

constexpr WPARAM EscapeKey = 27;

static MouseHandler mouseHandler;

static WindowMessageAction mouseAction(LPARAM lParam, MouseEvent kind)
{
    // Client coordinates as unsigned 16-bit halves, as Windows documents them.
    int x = static_cast<int>(static_cast<DWORD>(lParam) & 0xFFFF);
    int y = static_cast<int>((static_cast<DWORD>(lParam) >> 16) & 0xFFFF);
    return {0, 1, x, y, kind};
}

WindowMessageAction translateWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, int leftButtonDown)
{
    WindowMessageAction nothing = {0, 0, 0, 0, MouseMove};
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == EscapeKey)
            nothing.postQuit = 1;
        return nothing;
    // Alt+F4 or the task bar: without a quit request the loop would go on
    // drawing into a window DefWindowProcA is about to destroy.
    case WM_CLOSE:
        nothing.postQuit = 1;
        return nothing;
    case WM_MOUSEMOVE:
        return leftButtonDown ? mouseAction(lParam, MouseMove) : nothing;
    case WM_LBUTTONDOWN:
        return mouseAction(lParam, MouseDown);
    case WM_LBUTTONUP:
        return mouseAction(lParam, MouseUp);
    case WM_LBUTTONDBLCLK:
        return mouseAction(lParam, MouseDoubleClick);
    default:
        return nothing;
    }
}

void setWindowMouseHandler(MouseHandler handler) { mouseHandler = handler; }

LRESULT CALLBACK hostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    int leftButtonDown = message == WM_MOUSEMOVE && (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
    WindowMessageAction action = translateWindowMessage(message, wParam, lParam, leftButtonDown);
    if (action.postQuit)
        PostQuitMessage(0);
    if (action.deliverMouse)
        mouseHandler(action.x, action.y, action.kind);
    return DefWindowProcA(window, message, wParam, lParam);
}
