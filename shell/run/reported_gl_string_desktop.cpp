#include "shell/run/reported_gl_string.h"

std::string reportedGlString(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "unknown";
}
