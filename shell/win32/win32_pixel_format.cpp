#include "shell/win32/win32_pixel_format.h"

PIXELFORMATDESCRIPTOR hostPixelFormatDescriptor()
{
    PIXELFORMATDESCRIPTOR descriptor = {};
    descriptor.nSize = sizeof descriptor;
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 24;
    descriptor.iLayerType = PFD_MAIN_PLANE;
    return descriptor;
}

int searchMultisamplePixelFormat(HDC deviceContext, PFNWGLCHOOSEPIXELFORMATARBPROC choosePixelFormat)
{
    // One attribute and its value a line.
    // clang-format off
    int attributes[] = {
        WGL_SAMPLES_ARB, MultisampleSearchStart,
        WGL_SAMPLE_BUFFERS_ARB, 1,
        WGL_DRAW_TO_WINDOW_ARB, 1,
        WGL_SUPPORT_OPENGL_ARB, 1,
        WGL_ACCELERATION_ARB, WGL_FULL_ACCELERATION_ARB,
        WGL_PIXEL_TYPE_ARB, WGL_TYPE_RGBA_ARB,
        WGL_RED_BITS_ARB, 8,
        WGL_GREEN_BITS_ARB, 8,
        WGL_BLUE_BITS_ARB, 8,
        WGL_ALPHA_BITS_ARB, 8,
        WGL_DEPTH_BITS_ARB, 24,
        WGL_STENCIL_BITS_ARB, 8,
        WGL_DOUBLE_BUFFER_ARB, 1,
        0,
    };
    // clang-format on
    int& samples = attributes[1];
    int& sampleBuffers = attributes[3];

    int chosen = -1;
    while (samples >= 0) {
        int format = -1;
        UINT formatCount = 0;
        // A format counts only when the call succeeds and says it wrote one.
        if (choosePixelFormat(deviceContext, attributes, nullptr, 1, &format, &formatCount) && formatCount > 0)
            chosen = format;
        --samples;
        if (samples <= 1)
            sampleBuffers = 0;
        if (chosen > 0)
            return chosen;
    }
    return 0;
}
