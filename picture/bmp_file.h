// The checks and reads that make a BMP page safe to hand to the drawing
// functions, which trust the header for every size they read.
#pragma once

#include <cstdint>

#include "picture/bitmap_info.h"
#include "platform/file.h"

namespace halvora::picture {

// An uncompressed (or BI_BITFIELDS) bitmap of a known bit count, not empty,
// whose biSizeImage holds all its padded rows.
bool IsDrawableBmp(const BitmapInfoHeader& header);

// Keeps biClrUsed within the colour table held behind the header: a larger
// count would make the drawing functions read past it.
void LimitColourCount(BitmapInfoHeader& header);

// Fills info.colours with what the drawing functions will read there: the
// file's colour table for 1, 4 and 8 bits per pixel, the three channel masks
// for BI_BITFIELDS. `fileHeaderSize` is the file's own biSize (40, or more for
// the V4 and V5 headers). False when the file ends before them.
bool ReadColourTable(platform::ReadableFile& file, uint32_t fileHeaderSize, BitmapInfo& info);

}  // namespace halvora::picture
