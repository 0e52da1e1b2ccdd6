#include "tools/bmp_files.h"

#include <vector>

#include <halvora/jpeg.h>

#include "tools/file_io.h"

namespace halvora::tools {

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kGreyPaletteEntries = 256;

void PutLe16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
void PutLe32(std::vector<uint8_t>& out, uint32_t value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}
uint32_t Le16(const uint8_t* bytes) { return bytes[0] | uint32_t{bytes[1]} << 8; }
uint32_t Le32(const uint8_t* bytes) { return Le16(bytes) | Le16(bytes + 2) << 16; }

uint32_t PaddedRowBytes(int32_t width, int32_t channels) {
  return (static_cast<uint32_t>(width) * static_cast<uint32_t>(channels) + 3) / 4 * 4;
}

uint32_t PaletteEntries(const DibImage& image) { return image.channels == 1 ? kGreyPaletteEntries : 0; }

uint32_t PixelsOffset(const DibImage& image) { return kFileHeaderBytes + kInfoHeaderBytes + 4 * PaletteEntries(image); }

std::vector<uint8_t> Headers(const DibImage& image, uint32_t pixelBytes) {
  const uint32_t paletteEntries = PaletteEntries(image);
  const uint32_t offset = PixelsOffset(image);
  std::vector<uint8_t> header;
  header.push_back('B');
  header.push_back('M');
  PutLe32(header, offset + pixelBytes);
  PutLe32(header, 0);
  PutLe32(header, offset);
  PutLe32(header, kInfoHeaderBytes);
  PutLe32(header, static_cast<uint32_t>(image.width));
  PutLe32(header, static_cast<uint32_t>(image.height));  // positive: bottom-up
  PutLe16(header, 1);
  PutLe16(header, static_cast<uint32_t>(8 * image.channels));
  PutLe32(header, 0);  // uncompressed
  PutLe32(header, pixelBytes);
  PutLe32(header, 2835);  // 72 dots per inch
  PutLe32(header, 2835);
  PutLe32(header, paletteEntries);
  PutLe32(header, 0);
  for (uint32_t i = 0; i < paletteEntries; ++i) PutLe32(header, i * 0x010101u);
  return header;
}

struct BmpLayout {
  int32_t width = 0;
  int32_t height = 0;
  bool top_down = false;
  int32_t channels = 0;
  uint32_t pixels_at = 0;
  uint8_t grey_of_index[256] = {};
};

// The palette of an 8-bit bitmap, which must be grey: each index maps to
// the level of its entry.
bool ReadGreyPalette(std::FILE* file, uint32_t entries, BmpLayout& layout) {
  if (entries == 0 || entries > 256) entries = 256;
  for (uint32_t i = 0; i < entries; ++i) {
    uint8_t entry[4];
    if (std::fread(entry, 1, 4, file) != 4 || entry[0] != entry[1] || entry[1] != entry[2]) return false;
    layout.grey_of_index[i] = entry[0];
  }
  return true;
}

bool ReadLayout(std::FILE* file, BmpLayout& layout, std::string& error) {
  uint8_t header[kFileHeaderBytes + kInfoHeaderBytes];
  if (std::fread(header, 1, sizeof header, file) != sizeof header || header[0] != 'B' || header[1] != 'M' ||
      Le32(header + 14) < kInfoHeaderBytes) {
    error = "not a readable bitmap header";
    return false;
  }
  const auto width = static_cast<int32_t>(Le32(header + 18));
  const auto height = static_cast<int32_t>(Le32(header + 22));
  const uint32_t bits = Le16(header + 28);
  if (Le32(header + 30) != 0 || (bits != 8 && bits != 24)) {
    error = "only uncompressed 8-bit grey and 24-bit bitmaps are read";
    return false;
  }
  if (width <= 0 || width > kMaxImageSide || height == 0 || height < -kMaxImageSide || height > kMaxImageSide) {
    error = "image size out of range";
    return false;
  }
  layout.width = width;
  layout.height = height < 0 ? -height : height;
  layout.top_down = height < 0;
  layout.channels = bits == 8 ? 1 : 3;
  layout.pixels_at = Le32(header + 10);
  // The palette follows the info header, whatever that header's size.
  if (bits == 8 && (std::fseek(file, static_cast<long>(kFileHeaderBytes + Le32(header + 14)), SEEK_SET) != 0 ||
                    !ReadGreyPalette(file, Le32(header + 46), layout))) {
    error = "only grey palettes are read";
    return false;
  }
  return true;
}

}  // namespace

bool WriteBmp(std::FILE* file, const DibImage& image, std::string& error) {
  const uint32_t rowBytes = static_cast<uint32_t>(image.width) * static_cast<uint32_t>(image.channels);
  const uint32_t paddedBytes = PaddedRowBytes(image.width, image.channels);
  // Sizes in the header are 32-bit.
  if (PixelsOffset(image) + uint64_t{paddedBytes} * static_cast<uint64_t>(image.height) > UINT32_MAX) {
    error = "too large for a bitmap file";
    return false;
  }
  const std::vector<uint8_t> header = Headers(image, paddedBytes * static_cast<uint32_t>(image.height));
  const uint8_t padding[3] = {};
  std::vector<uint8_t> scratch;
  bool ok = PutBytes(file, header.data(), header.size());
  for (int32_t row = image.height - 1; ok && row >= 0; --row) {
    ok = PutBytes(file, RowInFileOrder(image, row, true, scratch), rowBytes) &&
         PutBytes(file, padding, paddedBytes - rowBytes);
  }
  if (!ok) error = "write failed";
  return ok;
}

bool ReadBmp(std::FILE* file, DibImage& image, std::string& error) {
  BmpLayout layout;
  if (!ReadLayout(file, layout, error)) return false;
  const int32_t color = layout.channels == 1 ? JpegColorGrey : JpegColorBgr;
  const uint32_t rowBytes = PaddedRowBytes(layout.width, layout.channels);
  if (std::fseek(file, static_cast<long>(layout.pixels_at), SEEK_SET) != 0 ||
      BytesLeft(file) < int64_t{rowBytes} * layout.height) {
    error = "file ends inside the image";
    return false;
  }
  ShapeDib(image, layout.width, layout.height, layout.channels, color, true);  // a size ReadLayout accepted
  // A file line is as long as a DIB line, so each is read in place.
  for (int32_t line = 0; line < layout.height; ++line) {
    uint8_t* target = ImageRow(image, layout.top_down ? line : layout.height - 1 - line);
    if (std::fread(target, 1, rowBytes, file) != rowBytes) {
      error = "file ends inside the image";
      return false;
    }
    if (layout.channels == 1) {
      for (int32_t x = 0; x < layout.width; ++x) target[x] = layout.grey_of_index[target[x]];
    }
  }
  return true;
}

}  // namespace halvora::tools
