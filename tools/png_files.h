// PNG files through libpng (only where the tool was built with it): grey,
// RGB or RGBA, 8-bit samples.
#pragma once

#include <cstdio>
#include <string>

#include "tools/dib_image.h"

namespace halvora::tools {

// Writes a one-, three- or four-channel image, row by row from the DIB.
bool WritePng(std::FILE* file, const DibImage& image, std::string& error);

// Reads any PNG file: grey without alpha gives one channel, colour without
// alpha three (BGR), anything with alpha or transparency four (RGBA);
// samples deeper than 8 bits are reduced to 8.
bool ReadPng(std::FILE* file, DibImage& image, std::string& error);

}  // namespace halvora::tools
