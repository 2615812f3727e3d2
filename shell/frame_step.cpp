#include "frame_step.h"

#include "diagnostics.h"

#include <GL/glew.h>

void runFrame(Demo demo, FrameClock* clock, int64_t now, PresentFrame present)
{
    demo.update(takeElapsedMicroseconds(clock, now));
    demo.render();
    present();
    checkCondition(glGetError() == GL_NO_ERROR, "OpenGL error.\n");
}
