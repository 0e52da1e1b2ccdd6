#include "tools/image_files.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include <halvora/jpeg.h>

namespace halvora::tools {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

void PutLe16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
void PutLe32(std::vector<uint8_t>& out, uint32_t value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}

bool WriteAll(const std::string& path, const std::vector<uint8_t>& header, const uint8_t* data, size_t size) {
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  if (std::fwrite(header.data(), 1, header.size(), file.get()) != header.size()) return false;
  if (size != 0 && std::fwrite(data, 1, size, file.get()) != size) return false;
  return std::fclose(file.release()) == 0;
}

// The line of the DIB that holds image row `row` (top row 0).
const uint8_t* ImageRow(const DibImage& image, int row) {
  const int line = image.bottom_up ? image.height - 1 - row : row;
  return image.pixels.data() + static_cast<size_t>(line) * static_cast<size_t>(image.line_bytes);
}

}  // namespace

bool WriteBmp(const std::string& path, const DibImage& image) {
  if (!image.bottom_up || image.line_bytes % 4 != 0) return false;
  const uint32_t paletteEntries = image.channels == 1 ? 256 : 0;
  const uint32_t offset = 14 + 40 + 4 * paletteEntries;
  const auto pixelBytes = static_cast<uint32_t>(image.pixels.size());
  std::vector<uint8_t> header;
  header.push_back('B');
  header.push_back('M');
  PutLe32(header, offset + pixelBytes);
  PutLe32(header, 0);
  PutLe32(header, offset);
  PutLe32(header, 40);
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
  return WriteAll(path, header, image.pixels.data(), image.pixels.size());
}

bool WritePnm(const std::string& path, const DibImage& image) {
  if (image.channels != 1 && image.channels != 3) return false;
  const std::string text = std::string(image.channels == 1 ? "P5" : "P6") + "\n" + std::to_string(image.width) + " " +
                           std::to_string(image.height) + "\n255\n";
  const std::vector<uint8_t> header(text.begin(), text.end());
  const size_t rowBytes = static_cast<size_t>(image.width) * static_cast<size_t>(image.channels);
  std::vector<uint8_t> samples(rowBytes * static_cast<size_t>(image.height));
  const bool reorder = image.channels == 3 && image.color == JpegColorBgr;
  for (int row = 0; row < image.height; ++row) {
    const uint8_t* source = ImageRow(image, row);
    uint8_t* target = samples.data() + rowBytes * static_cast<size_t>(row);
    for (size_t i = 0; i < rowBytes; i += static_cast<size_t>(image.channels)) {
      for (int c = 0; c < image.channels; ++c) target[i + c] = source[i + (reorder ? 2 - c : c)];
    }
  }
  return WriteAll(path, header, samples.data(), samples.size());
}

}  // namespace halvora::tools
