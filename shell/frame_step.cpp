#include "frame_step.h"

#include "diagnostics.h"
#include "particles.h"

#include <GL/glew.h>

void runFrame(FrameClock* clock, int64_t now, PresentFrame present)
{
    update(takeElapsedMicroseconds(clock, now));
    render();
    present();
    checkCondition(glGetError() == GL_NO_ERROR, "OpenGL error.\n");
}
