// Netpbm files: PPM (P6, three channels), PGM (P5, one channel) and PAM
// (P7, one, three or four channels), 8-bit samples, rows top-down.
#pragma once

#include <cstdio>
#include <string>

#include "tools/dib_image.h"

namespace halvora::tools {

// Each writes the header and then the image row by row; the caller has
// checked the channel count. False when a write fails.
bool WritePpm(std::FILE* file, const DibImage& image, std::string& error);
bool WritePgm(std::FILE* file, const DibImage& image, std::string& error);
bool WritePam(std::FILE* file, const DibImage& image, std::string& error);

// Reads a P5, P6 or P7 file with a maximum sample value of 255.
bool ReadPnm(std::FILE* file, DibImage& image, std::string& error);

}  // namespace halvora::tools
