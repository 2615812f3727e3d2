#pragma once

#include <GL/glew.h>

#include <string>

// A GL string as a benchmark report gives it; "unknown" where the GL gives
// none. A browser's WebGL answers GL_VENDOR and GL_RENDERER with stand-ins
// ("WebKit", "WebKit WebGL"): there they are the GPU's real names where the
// browser offers them.
std::string reportedGlString(GLenum name);
