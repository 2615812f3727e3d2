#pragma once

#include <GL/glew.h>
#include <GL/wglew.h>
#include <windows.h>

// The descriptor of the first context's format, reused when a multisampled
// format is set: double-buffered 24-bit RGBA, nothing else requested.
PIXELFORMATDESCRIPTOR hostPixelFormatDescriptor();

constexpr int MultisampleSearchStart = 16;

// Asks the driver for one format per sample count, from 16 down to 0, with
// sample buffers off at 1 and 0, and stops at the first it offers. Returns
// that format's index, or 0 when the driver offered none.
int searchMultisamplePixelFormat(HDC deviceContext, PFNWGLCHOOSEPIXELFORMATARBPROC choosePixelFormat);
