// Turning a JPEG stream held in memory into DIB pixel rows.
#pragma once

#include <cstdint>
#include <memory>

#include "picture/bitmap_info.h"

namespace halvora::picture {

// A new bottom-up block of pixel rows (rows padded to 4 bytes, blue-green-red
// or premultiplied blue-green-red-alpha) decoded from the stream, and its
// header in `header` when one is passed; null on any failure, with the header
// untouched and nothing left allocated.
std::unique_ptr<uint8_t[]> DecodeJpegToDib(const uint8_t* stream, uint32_t size, BitmapInfoHeader* header);

// Turns rows of red-green-blue-alpha pixels into blue-green-red-alpha with
// the colour multiplied by alpha: (c x A + 1) >> 8.
void PremultiplyAlphaSwap(uint8_t* block, int32_t width, int32_t height);

}  // namespace halvora::picture
