#include "shell/web/web_context.h"

#include "shell/diagnostics.h"

#include <emscripten/html5.h>

static EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context;
static void (*whenLost)();
static void (*whenRestored)();

void createWebGl2Context(const char* canvasSelector, const AppConfig& config)
{
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    // What the desktop window asks for: 24 colour bits, no depth or
    // stencil buffer, multisampled only when configured so.
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_FALSE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = config.multisampling ? EM_TRUE : EM_FALSE;
    emscripten_set_canvas_element_size(canvasSelector, config.width, config.height);
    context = emscripten_webgl_create_context(canvasSelector, &attributes);
    checkCondition(context > 0, "This browser offers no WebGL 2 context.\n");
    emscripten_webgl_make_context_current(context);
}

// Returning true prevents the default, without which the browser would
// never restore the context.
static EM_BOOL onContextLost(int, const void*, void*)
{
    whenLost();
    return EM_TRUE;
}

static EM_BOOL onContextRestored(int, const void*, void*)
{
    emscripten_webgl_make_context_current(context);
    whenRestored();
    return EM_TRUE;
}

void watchContextLoss(const char* canvasSelector, void (*lost)(), void (*restored)())
{
    whenLost = lost;
    whenRestored = restored;
    emscripten_set_webglcontextlost_callback(canvasSelector, nullptr, EM_FALSE, onContextLost);
    emscripten_set_webglcontextrestored_callback(canvasSelector, nullptr, EM_FALSE, onContextRestored);
}

bool contextLost() { return emscripten_is_webgl_context_lost(context) != EM_FALSE; }
