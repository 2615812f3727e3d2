#include "shell/web/web_input.h"

#include "shell/run/mouse_input.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdint>
#include <cstring>

static MouseInput mouseInput;
static MouseHandler mouseHandler;
static bool quitRequest;

// Pointer events speak for the mouse, a finger and a pen alike. One pointer
// at a time holds, as the left button does: another finger that lands while
// one holds is ignored until the first lets go. A desktop window keeps
// receiving a drag that leaves it; a canvas does so only while it holds the
// pointer's capture, taken at every press. A press is judged by the primary
// button's bit, so a left button pressed while another one is held still
// counts, as it does on the desktop. Positions are scaled from CSS pixels to
// the drawing buffer's.
// clang-format off
EM_JS(void, listenForPointers, (const char* selector), {
    const canvas = document.querySelector(UTF8ToString(selector));
    let holding = null;
    function follow(event) {
        if (holding !== null && event.pointerId !== holding)
            return;
        const box = canvas.getBoundingClientRect();
        const x = Math.floor((event.clientX - box.left) * canvas.width / box.width);
        const y = Math.floor((event.clientY - box.top) * canvas.height / box.height);
        const held = event.type !== 'pointercancel' && (event.buttons & 1) !== 0;
        if (held && holding === null) {
            holding = event.pointerId;
            canvas.setPointerCapture(event.pointerId);
            event.preventDefault();
            _pressOnCanvas(x, y, event.timeStamp);
        } else if (!held && holding !== null) {
            holding = null;
            _releaseOnCanvas(x, y);
        } else {
            _moveOnCanvas(x, y);
        }
    }
    for (const type of ['pointerdown', 'pointermove', 'pointerup', 'pointercancel'])
        canvas.addEventListener(type, follow);
});
// clang-format on

// The browser's own double-click event is not used: the second press is
// judged by the same rule as on the desktop, from the events' time stamps in
// milliseconds.
extern "C" EMSCRIPTEN_KEEPALIVE void pressOnCanvas(int x, int y, double milliseconds)
{
    deliverMouse(pressLeftButton(&mouseInput, x, y, static_cast<int64_t>(milliseconds)), mouseHandler);
}

extern "C" EMSCRIPTEN_KEEPALIVE void releaseOnCanvas(int x, int y)
{
    deliverMouse(releaseLeftButton(&mouseInput, x, y), mouseHandler);
}

extern "C" EMSCRIPTEN_KEEPALIVE void moveOnCanvas(int x, int y)
{
    deliverMouse(movePointer(&mouseInput, x, y), mouseHandler);
}

// Other keys keep their meaning in the browser.
static EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* event, void*)
{
    if (std::strcmp(event->key, "Escape") != 0)
        return EM_FALSE;
    quitRequest = true;
    return EM_TRUE;
}

void connectInput(const char* canvasSelector, MouseHandler handler, int drawingWidth, int drawingHeight)
{
    mouseHandler = handler;
    mouseInput = startMouseInput(drawingWidth, drawingHeight);
    listenForPointers(canvasSelector);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onKeyDown);
}

void resizeInput(int drawingWidth, int drawingHeight)
{
    mouseInput.clientWidth = drawingWidth;
    mouseInput.clientHeight = drawingHeight;
}

bool quitRequested() { return quitRequest; }
