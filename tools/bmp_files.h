// Windows bitmap files: uncompressed, 8-bit grey (with a grey palette) or
// 24-bit BGR, rows padded to 4 bytes.
#pragma once

#include <cstdio>
#include <string>

#include "tools/dib_image.h"

namespace halvora::tools {

// Writes a one- or three-channel image bottom-up, row by row.
bool WriteBmp(std::FILE* file, const DibImage& image, std::string& error);

// Reads a 24-bit or a grey-palette 8-bit bitmap, bottom-up or top-down.
bool ReadBmp(std::FILE* file, DibImage& image, std::string& error);

}  // namespace halvora::tools
