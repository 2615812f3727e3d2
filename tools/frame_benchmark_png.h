#pragma once

#include <string>
#include <vector>

// An 8-bit RGB picture, rows from the top down.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;
};

bool writePng(const std::string& path, const RgbImage& image);
// Any PNG, converted to 8-bit RGB; false when it cannot be read.
bool readPng(const std::string& path, RgbImage* image);
