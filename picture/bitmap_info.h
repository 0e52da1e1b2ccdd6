// The DIB structures of BMP files and of the drawing functions, defined here
// so that no system header is needed; files are read field by field.
#pragma once

#include <cstddef>
#include <cstdint>

namespace halvora::picture {

inline constexpr size_t kBitmapFileHeaderSize = 14;
inline constexpr size_t kBitmapInfoHeaderSize = 40;

inline constexpr uint32_t kCompressionRgb = 0;        // BI_RGB
inline constexpr uint32_t kCompressionBitfields = 3;  // BI_BITFIELDS

// BITMAPINFOHEADER in the host's layout, which on Windows is the layout the
// drawing functions take.
struct BitmapInfoHeader {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == kBitmapInfoHeaderSize);
static_assert(offsetof(BitmapInfoHeader, biPlanes) == 12);
static_assert(offsetof(BitmapInfoHeader, biCompression) == 16);
static_assert(offsetof(BitmapInfoHeader, biClrImportant) == 36);

inline constexpr size_t kColourTableEntries = 256;

// A header with room behind it for the largest colour table (or the three
// BI_BITFIELDS masks): the drawing functions read a whole BITMAPINFO, so the
// bytes behind the 40-byte header must exist and be defined.
struct BitmapInfo {
  BitmapInfoHeader header;
  uint8_t colours[kColourTableEntries * 4];
};
static_assert(offsetof(BitmapInfo, colours) == kBitmapInfoHeaderSize);

// The one field of BITMAPFILEHEADER that is used: where the pixel data starts.
uint32_t ParsePixelDataOffset(const uint8_t (&fileHeader)[kBitmapFileHeaderSize]);

BitmapInfoHeader ParseBitmapInfoHeader(const uint8_t (&bytes)[kBitmapInfoHeaderSize]);

// Bytes of one row padded to a multiple of 4, and of all rows; computed in 64
// bits so that no header can make them wrap. Zero for a bit count that is not
// 1, 4, 8, 16, 24 or 32.
uint64_t DibRowBytes(int32_t width, uint16_t bitCount);
uint64_t DibImageBytes(const BitmapInfoHeader& header);

}  // namespace halvora::picture
