// Writing a decoded DIB as a Windows bitmap or a binary PNM file.
#pragma once

#include <string>

#include "tools/codec_decode.h"

namespace halvora::tools {

// The DIB as a .bmp: bottom-up rows padded to 4 bytes, written as decoded
// (8-bit grey with a grey palette, 24 or 32 bits per pixel). `image` must be
// bottom-up with padded rows. False when the file cannot be written.
bool WriteBmp(const std::string& path, const DibImage& image);

// The DIB as binary PNM, top-down: one channel as P5 (grey), three as P6 in
// R, G, B order (a BGR DIB is reordered). Other channel counts are refused.
bool WritePnm(const std::string& path, const DibImage& image);

}  // namespace halvora::tools
