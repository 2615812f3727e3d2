#pragma once

#include "shell/host.h"

#include <windows.h>

// What the window procedure does with one message before handing it to
// DefWindowProcA; kept apart from the Win32 calls so it can be checked alone.
struct WindowMessageAction {
    int postQuit;
    int deliverMouse;
    int x, y;
    MouseEvent kind;
};

// leftButtonDown is the live state of the left button, consulted only for
// pointer movement.
WindowMessageAction translateWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, int leftButtonDown);

// Where the procedure sends mouse events: the demo the host runs, or a test's
// recorder. Set before the first window of the class exists.
void setWindowMouseHandler(MouseHandler handler);

// The host window class's procedure: quit requests, mouse events to the
// handler, and every message passed on to DefWindowProcA.
LRESULT CALLBACK hostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
