#include "shell/run/gl_context.h"

#include "shell/diagnostics.h"

#include <GL/glew.h>

void loadOpenGlEntryPoints()
{
    // Without it GLEW skips the entry points of a core context it cannot
    // find in the legacy extension string.
    glewExperimental = GL_TRUE;
    GLenum result = glewInit();
    if (result != GLEW_OK)
        fatalError("GLEW Error: %s\n", reinterpret_cast<const char*>(glewGetErrorString(result)));
    debugPrint("OpenGL Version: %s\n", reinterpret_cast<const char*>(glGetString(GL_VERSION)));
}

void prepareCoreProfileContext()
{
    // Older GLEW releases ask a core context for the legacy extension
    // string, which leaves an error behind that the first frame would
    // otherwise take as its own.
    while (glGetError() != GL_NO_ERROR) { }
    GLuint vertexArray = 0;
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
}
