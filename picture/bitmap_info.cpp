#include "picture/bitmap_info.h"

#include <cstdlib>

namespace halvora::picture {

namespace {

uint16_t ReadUint16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t ReadUint32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

int32_t ReadInt32(const uint8_t* p) { return static_cast<int32_t>(ReadUint32(p)); }

bool IsDibBitCount(uint16_t bitCount) {
  switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      return true;
    default:
      return false;
  }
}

}  // namespace

uint32_t ParsePixelDataOffset(const uint8_t (&fileHeader)[kBitmapFileHeaderSize]) {
  return ReadUint32(fileHeader + 10);
}

BitmapInfoHeader ParseBitmapInfoHeader(const uint8_t (&bytes)[kBitmapInfoHeaderSize]) {
  BitmapInfoHeader header;
  header.biSize = ReadUint32(bytes + 0);
  header.biWidth = ReadInt32(bytes + 4);
  header.biHeight = ReadInt32(bytes + 8);
  header.biPlanes = ReadUint16(bytes + 12);
  header.biBitCount = ReadUint16(bytes + 14);
  header.biCompression = ReadUint32(bytes + 16);
  header.biSizeImage = ReadUint32(bytes + 20);
  header.biXPelsPerMeter = ReadInt32(bytes + 24);
  header.biYPelsPerMeter = ReadInt32(bytes + 28);
  header.biClrUsed = ReadUint32(bytes + 32);
  header.biClrImportant = ReadUint32(bytes + 36);
  return header;
}

uint64_t DibRowBytes(int32_t width, uint16_t bitCount) {
  if (!IsDibBitCount(bitCount)) return 0;
  const uint64_t bits = static_cast<uint64_t>(std::llabs(width)) * bitCount;
  return (bits + 31) / 32 * 4;
}

uint64_t DibImageBytes(const BitmapInfoHeader& header) {
  return DibRowBytes(header.biWidth, header.biBitCount) *
         static_cast<uint64_t>(std::llabs(header.biHeight));
}

}  // namespace halvora::picture
