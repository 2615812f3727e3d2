#include "shell/web/web_canvas.h"

#include "shell/web/web_input.h"

#include <GL/glew.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>

static bool layoutDecides;
static int largestSide;
static DrawingBufferSize current;
static DrawingBufferSize laidOut;

// The page's stylesheet sizes the canvas from --aspect, and the page knows
// whether its query string gave a size (web_page.html).
// clang-format off
EM_JS(void, shapeCanvas, (int width, int height), { Module.setAspect(width / height); });
EM_JS(int, sizeGivenOnPage, (), { return Module.sizeGiven ? 1 : 0; });

// The canvas's device pixels as laid out now: its CSS box times the device
// pixel ratio. (ResizeObserver's device-pixel box would be exact, but an
// emulated screen density does not reach it.)
EM_JS(void, readLaidOutSize, (const char* selector, int* size), {
    const box = document.querySelector(UTF8ToString(selector)).getBoundingClientRect();
    HEAP32[size >> 2] = Math.round(box.width * devicePixelRatio);
    HEAP32[(size >> 2) + 1] = Math.round(box.height * devicePixelRatio);
});

// A new layout, and a new ratio alone (a zoom, a move to another screen).
EM_JS(void, observeCanvasLayout, (const char* selector), {
    const canvas = document.querySelector(UTF8ToString(selector));
    function report() {
        const box = canvas.getBoundingClientRect();
        _canvasLaidOut(Math.round(box.width * devicePixelRatio), Math.round(box.height * devicePixelRatio));
    }
    function watchRatio() {
        matchMedia(`(resolution: ${devicePixelRatio}dppx)`).addEventListener('change', () => {
            report();
            watchRatio();
        }, { once: true });
    }
    new ResizeObserver(report).observe(canvas);
    watchRatio();
});
// clang-format on

extern "C" EMSCRIPTEN_KEEPALIVE void canvasLaidOut(int width, int height) { laidOut = {width, height}; }

// The most a surface, a renderbuffer and the viewport all allow.
static int readLargestSide()
{
    GLint texture = 0, renderbuffer = 0, viewport[2] = {};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return std::min({texture, renderbuffer, viewport[0], viewport[1]});
}

static bool sameSize(DrawingBufferSize a, DrawingBufferSize b) { return a.width == b.width && a.height == b.height; }

DrawingBufferSize fitCanvasToLayout(const char* canvasSelector, Demo demo)
{
    const AppConfig config = demo.configuration();
    shapeCanvas(config.width, config.height);
    current = {config.width, config.height};
    layoutDecides = sizeGivenOnPage() == 0;
    if (!layoutDecides)
        return current;
    largestSide = readLargestSide();
    int size[2] = {};
    readLaidOutSize(canvasSelector, size);
    laidOut = {size[0], size[1]};
    current = boundedDrawingBuffer(laidOut, largestSide);
    emscripten_set_canvas_element_size(canvasSelector, current.width, current.height);
    // The context's viewport is the buffer's size when it was made; the
    // demo sets it itself only when resized after initialise.
    glViewport(0, 0, current.width, current.height);
    demo.resize(current.width, current.height);
    observeCanvasLayout(canvasSelector);
    return current;
}

void followCanvasLayout(const char* canvasSelector, Demo demo)
{
    if (!layoutDecides)
        return;
    const DrawingBufferSize wanted = boundedDrawingBuffer(laidOut, largestSide);
    if (sameSize(wanted, current))
        return;
    current = wanted;
    emscripten_set_canvas_element_size(canvasSelector, current.width, current.height);
    demo.resize(current.width, current.height);
    resizeInput(current.width, current.height);
}
