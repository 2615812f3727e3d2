#pragma once

#include "shell/host.h"

#include <cstdint>

// Turns raw left-button and pointer events into the mouse events the demo
// expects, as the Win32 host (the reference) delivers them. Knows nothing of any
// window system, so both hosts share it and it can be tested alone.

// A second press within this time and box of the first is a double click.
constexpr int64_t DoubleClickMilliseconds = 500;
constexpr int DoubleClickHalfWidth = 2;
constexpr int DoubleClickHalfHeight = 2;

struct MouseInput {
    int clientWidth, clientHeight;
    int leftButtonDown;
    // The press a next press may pair with; cleared once it has paired, so a
    // third press starts over.
    int firstClickPending;
    int64_t firstClickMilliseconds;
    int firstClickX, firstClickY;
};

// What the host passes on to handleMouse, if anything.
struct MouseDelivery {
    int deliver;
    int x, y;
    MouseEvent kind;
};

MouseInput startMouseInput(int clientWidth, int clientHeight);

MouseDelivery pressLeftButton(MouseInput* input, int x, int y, int64_t milliseconds);
MouseDelivery releaseLeftButton(MouseInput* input, int x, int y);
MouseDelivery movePointer(MouseInput* input, int x, int y);

// Hands a delivery that carries an event on to the handler.
void deliverMouse(MouseDelivery delivery, MouseHandler handler);
