#include "shell/run/reported_gl_string.h"

#include <emscripten/emscripten.h>

// clang-format off
// Chromium names the GPU behind its WebGL only through this extension, which
// the page must ask for; a browser without it has only its stand-ins. Writes
// the unmasked vendor or renderer into text; 0 where there is none.
EM_JS(int, readUnmaskedName, (int renderer, char* text, int size), {
    const names = GLctx.getExtension('WEBGL_debug_renderer_info');
    const name = names && GLctx.getParameter(renderer ? names.UNMASKED_RENDERER_WEBGL : names.UNMASKED_VENDOR_WEBGL);
    if (!name)
        return 0;
    stringToUTF8(name, text, size);
    return 1;
});
// clang-format on

std::string reportedGlString(GLenum name)
{
    char unmasked[256];
    if ((name == GL_VENDOR || name == GL_RENDERER) && readUnmaskedName(name == GL_RENDERER, unmasked, sizeof unmasked))
        return unmasked;
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "unknown";
}
