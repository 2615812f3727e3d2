#include "shell/run/screenshot.h"

#include <GL/glew.h>

#include <cstdio>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

void readWindowPixelsInto(unsigned int buffer, int width, int height, std::vector<unsigned char>* pixels)
{
    pixels->resize(size_t(width) * size_t(height) * 3);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(buffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels->data());
}

std::vector<unsigned char> readWindowPixels(unsigned int buffer, int width, int height)
{
    std::vector<unsigned char> pixels;
    readWindowPixelsInto(buffer, width, height, &pixels);
    return pixels;
}

static void writeToFile(void* file, void* bytes, int size)
{
    std::fwrite(bytes, 1, size_t(size), static_cast<std::FILE*>(file));
}

bool writeScreenshot(const char* path, const std::vector<unsigned char>& bottomUpRgb, int width, int height)
{
    const int stride = width * 3;
    // Starting at the last row with a negative stride turns the picture upright.
    const unsigned char* topRow = bottomUpRgb.data() + size_t(height - 1) * size_t(stride);
    // Written here rather than by stbi_write_png, which checks only that the
    // file opened: a full disk would pass for a saved picture.
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr)
        return false;
    const bool encoded = stbi_write_png_to_func(writeToFile, file, width, height, 3, topRow, -stride) != 0;
    const bool written = std::ferror(file) == 0;
    return std::fclose(file) == 0 && encoded && written;
}
