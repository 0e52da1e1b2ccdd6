// BMP files built byte by byte, so the tests need no image tools.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace halvora::picture::testing {

struct BmpFields {
  uint32_t headerSize = 40;
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bitCount = 24;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;  // stored as given
  int32_t xPelsPerMeter = 2835;
  int32_t yPelsPerMeter = 2835;
  uint32_t clrUsed = 0;
};

inline void PutLe(std::vector<uint8_t>& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// File header, info header (extended with zeros to headerSize, `headerExtra`
// written at its byte 40), then `table`, then `pixels`; bfOffBits points
// right behind the table.
inline std::vector<uint8_t> BmpFile(const BmpFields& f, const std::vector<uint8_t>& pixels,
                                    const std::vector<uint8_t>& table = {},
                                    const std::vector<uint8_t>& headerExtra = {}) {
  std::vector<uint8_t> out;
  const uint32_t offBits = 14 + f.headerSize + static_cast<uint32_t>(table.size());
  out.push_back('B');
  out.push_back('M');
  PutLe(out, offBits + pixels.size(), 4);
  PutLe(out, 0, 4);
  PutLe(out, offBits, 4);
  PutLe(out, f.headerSize, 4);
  PutLe(out, static_cast<uint32_t>(f.width), 4);
  PutLe(out, static_cast<uint32_t>(f.height), 4);
  PutLe(out, 1, 2);
  PutLe(out, f.bitCount, 2);
  PutLe(out, f.compression, 4);
  PutLe(out, f.sizeImage, 4);
  PutLe(out, static_cast<uint32_t>(f.xPelsPerMeter), 4);
  PutLe(out, static_cast<uint32_t>(f.yPelsPerMeter), 4);
  PutLe(out, f.clrUsed, 4);
  PutLe(out, 0, 4);
  std::vector<uint8_t> extra = headerExtra;
  extra.resize(f.headerSize > 40 ? f.headerSize - 40 : 0, 0);
  out.insert(out.end(), extra.begin(), extra.end());
  out.insert(out.end(), table.begin(), table.end());
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

struct Colour {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
};

// A bottom-up 24-bit picture whose pixel at (x, y from the top) is
// colourAt(x, y); biSizeImage is exactly the padded rows.
inline std::vector<uint8_t> Bmp24(int32_t width, int32_t height,
                                  const std::function<Colour(int32_t, int32_t)>& colourAt) {
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) / 4 * 4;
  std::vector<uint8_t> pixels;
  for (int32_t line = height - 1; line >= 0; --line) {
    for (int32_t x = 0; x < width; ++x) {
      const Colour c = colourAt(x, line);
      pixels.insert(pixels.end(), {c.b, c.g, c.r});
    }
    pixels.resize(pixels.size() + stride - static_cast<uint32_t>(width) * 3, 0);
  }
  BmpFields fields;
  fields.width = width;
  fields.height = height;
  fields.sizeImage = stride * static_cast<uint32_t>(height);
  return BmpFile(fields, pixels);
}

inline std::vector<uint8_t> SolidBmp24(int32_t width, int32_t height, Colour colour) {
  return Bmp24(width, height, [colour](int32_t, int32_t) { return colour; });
}

}  // namespace halvora::picture::testing
