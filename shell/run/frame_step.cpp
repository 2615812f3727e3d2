#include "shell/run/frame_step.h"

#include "shell/diagnostics.h"

#include <GL/glew.h>

void updateAndRender(Demo demo, FrameClock* clock, int64_t now)
{
    demo.update(takeElapsedMicroseconds(clock, now));
    demo.render();
}

void presentAndCheck(PresentFrame present)
{
    present();
    checkCondition(glGetError() == GL_NO_ERROR, "OpenGL error.\n");
}

void runFrame(Demo demo, FrameClock* clock, int64_t now, PresentFrame present)
{
    updateAndRender(demo, clock, now);
    presentAndCheck(present);
}
