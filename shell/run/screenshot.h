#pragma once

#include <string>
#include <vector>

// The colour buffer now bound for reading (GL_BACK before a present,
// GL_FRONT after one), width by height, as RGB rows from the bottom up.
std::vector<unsigned char> readWindowPixels(unsigned int buffer, int width, int height);
// The same into pixels, which grows only when the picture does.
void readWindowPixelsInto(unsigned int buffer, int width, int height, std::vector<unsigned char>* pixels);

// Writes such pixels as a PNG with the top row first; false when the file
// cannot be written.
bool writeScreenshot(const char* path, const std::vector<unsigned char>& bottomUpRgb, int width, int height);
