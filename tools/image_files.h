// Image files the tool writes decoded images to and reads images from:
// PNG (where the tool was built with libpng), PPM, PGM, PAM and BMP.
#pragma once

#include <string>

#include "tools/dib_image.h"

namespace halvora::tools {

// The file extensions WriteImage accepts, for messages: ".png, .ppm, ... or .bmp".
std::string AcceptedExtensions();

// True when the file name ends in one of the accepted extensions; false,
// with a message naming them in `error`, otherwise.
bool CheckImageExtension(const std::string& path, std::string& error);

// Writes `image` in the format its extension names, row by row from the DIB.
// Three channels are written in the file's colour order (BGR and RGB images
// are reordered, others written as they are). False, with a message in
// `error`, for an unknown extension, a channel count the format cannot hold
// (PPM: 3, PGM: 1, BMP: 1 or 3, PNG and PAM: 1, 3 or 4) or a failed write.
bool WriteImage(const std::string& path, const DibImage& image, std::string& error);

// Reads a PNG, PPM, PGM, PAM or BMP file, known by its first bytes, into a
// bottom-up DIB with rows padded to 4 bytes: one channel grey, three BGR,
// four RGBA. False, with a message in `error`, for anything else.
bool ReadImage(const std::string& path, DibImage& image, std::string& error);

}  // namespace halvora::tools
