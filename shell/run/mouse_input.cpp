#include "shell/run/mouse_input.h"

#include <algorithm>
#include <cstdlib>

MouseInput startMouseInput(int clientWidth, int clientHeight) { return {clientWidth, clientHeight, 0, 0, 0, 0, 0}; }

static bool pairsWithFirstClick(const MouseInput& input, int x, int y, int64_t milliseconds)
{
    return input.firstClickPending && milliseconds - input.firstClickMilliseconds <= DoubleClickMilliseconds &&
        std::abs(x - input.firstClickX) <= DoubleClickHalfWidth &&
        std::abs(y - input.firstClickY) <= DoubleClickHalfHeight;
}

MouseDelivery pressLeftButton(MouseInput* input, int x, int y, int64_t milliseconds)
{
    input->leftButtonDown = 1;
    if (pairsWithFirstClick(*input, x, y, milliseconds)) {
        input->firstClickPending = 0;
        return {1, x, y, MouseDoubleClick};
    }
    input->firstClickPending = 1;
    input->firstClickMilliseconds = milliseconds;
    input->firstClickX = x;
    input->firstClickY = y;
    return {1, x, y, MouseDown};
}

// The Win32 host's window (the reference) never captures the mouse, so a release outside it
// would only arrive, if at all, with coordinates outside the client area.
// The demo ignores a release's position; clamping keeps every coordinate it
// receives a client coordinate while the release itself always gets through,
// so the button never stays held in the demo's eyes.
MouseDelivery releaseLeftButton(MouseInput* input, int x, int y)
{
    input->leftButtonDown = 0;
    int clampedX = std::clamp(x, 0, input->clientWidth - 1);
    int clampedY = std::clamp(y, 0, input->clientHeight - 1);
    return {1, clampedX, clampedY, MouseUp};
}

// The Win32 host (the reference) only sees movement over its client area; a drag beyond it
// must not drag the particles towards a point far off screen.
MouseDelivery movePointer(MouseInput* input, int x, int y)
{
    bool inside = x >= 0 && y >= 0 && x < input->clientWidth && y < input->clientHeight;
    if (!input->leftButtonDown || !inside)
        return {0, x, y, MouseMove};
    return {1, x, y, MouseMove};
}

void deliverMouse(MouseDelivery delivery, MouseHandler handler)
{
    if (delivery.deliver)
        handler(delivery.x, delivery.y, delivery.kind);
}
