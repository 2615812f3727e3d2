#include "frame_benchmark_png.h"

#include <png.h>

bool writePng(const std::string& path, const RgbImage& image)
{
    png_image description = {};
    description.version = PNG_IMAGE_VERSION;
    description.width = png_uint_32(image.width);
    description.height = png_uint_32(image.height);
    description.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&description, path.c_str(), 0, image.pixels.data(), 0, nullptr) != 0;
}

bool readPng(const std::string& path, RgbImage* image)
{
    png_image description = {};
    description.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&description, path.c_str()))
        return false;
    description.format = PNG_FORMAT_RGB;
    image->width = int(description.width);
    image->height = int(description.height);
    image->pixels.assign(PNG_IMAGE_SIZE(description), 0);
    if (!png_image_finish_read(&description, nullptr, image->pixels.data(), 0, nullptr)) {
        png_image_free(&description);
        return false;
    }
    return true;
}
