#include "picture/bmp_file.h"

#include <algorithm>

#include "picture/read_exactly.h"

namespace halvora::picture {

namespace {

constexpr uint32_t kBitfieldMaskBytes = 3 * 4;

uint32_t PaletteCapacity(uint16_t bitCount) { return bitCount <= 8 ? 1u << bitCount : 0; }

// The number of colour-table entries a palette bitmap's drawing reads.
uint32_t PaletteEntries(const BitmapInfoHeader& header) {
  const uint32_t capacity = PaletteCapacity(header.biBitCount);
  return header.biClrUsed == 0 ? capacity : std::min(header.biClrUsed, capacity);
}

bool HasKnownCompression(const BitmapInfoHeader& header) {
  if (header.biCompression == kCompressionRgb) return true;
  return header.biCompression == kCompressionBitfields &&
         (header.biBitCount == 16 || header.biBitCount == 32);
}

bool SeekTo(platform::ReadableFile& file, uint64_t offset) {
  return file.Seek(static_cast<int64_t>(offset), platform::SeekFrom::kStart) ==
         static_cast<int64_t>(offset);
}

}  // namespace

bool IsDrawableBmp(const BitmapInfoHeader& header) {
  // Compressed rows (RLE and the like) have no size the header could be
  // checked against, so their decoding could run past the held block.
  if (!HasKnownCompression(header)) return false;
  if (header.biWidth <= 0 || header.biHeight == 0) return false;
  const uint64_t rowBytes = DibRowBytes(header.biWidth, header.biBitCount);
  return rowBytes != 0 && DibImageBytes(header) <= header.biSizeImage;
}

void LimitColourCount(BitmapInfoHeader& header) {
  if (header.biClrUsed > kColourTableEntries) header.biClrUsed = PaletteCapacity(header.biBitCount);
}

bool ReadColourTable(platform::ReadableFile& file, uint32_t fileHeaderSize, BitmapInfo& info) {
  const BitmapInfoHeader& header = info.header;
  if (header.biCompression == kCompressionBitfields) {
    // The masks follow a 40-byte header and are the next fields of a V4 or V5
    // header: either way they start right behind the first 40 bytes.
    return SeekTo(file, kBitmapFileHeaderSize + kBitmapInfoHeaderSize) &&
           ReadExactly(file, info.colours, kBitfieldMaskBytes);
  }
  const uint32_t entries = PaletteEntries(header);
  if (entries == 0) return true;
  return SeekTo(file, uint64_t{kBitmapFileHeaderSize} + fileHeaderSize) &&
         ReadExactly(file, info.colours, entries * 4);
}

}  // namespace halvora::picture
