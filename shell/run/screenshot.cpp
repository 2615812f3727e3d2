#include "shell/run/screenshot.h"

#include <GL/glew.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

std::vector<unsigned char> readWindowPixels(unsigned int buffer, int width, int height)
{
    std::vector<unsigned char> pixels(size_t(width) * size_t(height) * 3);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(buffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

bool writeScreenshot(const std::string& path, const std::vector<unsigned char>& bottomUpRgb, int width, int height)
{
    const int stride = width * 3;
    // Starting at the last row with a negative stride turns the picture upright.
    const unsigned char* topRow = bottomUpRgb.data() + size_t(height - 1) * size_t(stride);
    return stbi_write_png(path.c_str(), width, height, 3, topRow, -stride) != 0;
}
