#include "shell/web/web_input.h"

#include "shell/run/mouse_input.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdint>
#include <cstring>

static MouseInput mouseInput;
static MouseHandler mouseHandler;
static bool quitRequest;

// A desktop window keeps receiving a drag that leaves it; a canvas does so
// only while it holds the pointer's capture, taken here at every press.
// clang-format off
EM_JS(void, captureDragsOnCanvas, (const char* selector), {
    const canvas = document.querySelector(UTF8ToString(selector));
    canvas.addEventListener('pointerdown', event => canvas.setPointerCapture(event.pointerId));
});
// clang-format on

// Coordinates are the canvas's own (target), in CSS pixels, which the page
// keeps one to one with the canvas's pixels. The browser's own double-click
// event is not used: the second press is judged by the same rule as on the
// desktop, from the events' time stamps in milliseconds.
static EM_BOOL onMouseDown(int, const EmscriptenMouseEvent* event, void*)
{
    if (event->button != 0)
        return EM_FALSE;
    deliverMouse(pressLeftButton(&mouseInput, event->targetX, event->targetY, static_cast<int64_t>(event->timestamp)),
                 mouseHandler);
    return EM_TRUE;
}

static EM_BOOL onMouseUp(int, const EmscriptenMouseEvent* event, void*)
{
    if (event->button != 0)
        return EM_FALSE;
    deliverMouse(releaseLeftButton(&mouseInput, event->targetX, event->targetY), mouseHandler);
    return EM_TRUE;
}

static EM_BOOL onMouseMove(int, const EmscriptenMouseEvent* event, void*)
{
    deliverMouse(movePointer(&mouseInput, event->targetX, event->targetY), mouseHandler);
    return EM_FALSE;
}

// Other keys keep their meaning in the browser.
static EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* event, void*)
{
    if (std::strcmp(event->key, "Escape") != 0)
        return EM_FALSE;
    quitRequest = true;
    return EM_TRUE;
}

void connectInput(const char* canvasSelector, MouseHandler handler, int clientWidth, int clientHeight)
{
    mouseHandler = handler;
    mouseInput = startMouseInput(clientWidth, clientHeight);
    captureDragsOnCanvas(canvasSelector);
    emscripten_set_mousedown_callback(canvasSelector, nullptr, EM_FALSE, onMouseDown);
    emscripten_set_mouseup_callback(canvasSelector, nullptr, EM_FALSE, onMouseUp);
    emscripten_set_mousemove_callback(canvasSelector, nullptr, EM_FALSE, onMouseMove);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onKeyDown);
}

bool quitRequested() { return quitRequest; }
