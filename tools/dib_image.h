// An image in the layout of a device-independent bitmap, as the codec reads
// into and will encode from: rows of width x channels bytes, each row
// starting line_bytes after the one before it, bottom-up or top-down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace halvora::tools {

// The longest side a JPEG frame can describe; larger images can be neither
// decoded nor encoded, so no reader makes them.
constexpr int32_t kMaxImageSide = 65535;

struct DibImage {
  int32_t width = 0;
  int32_t height = 0;
  int32_t channels = 0;
  int32_t color = 0;  // dib_color: grey (1 channel), BGR, RGB or YCbCr (3), RGBA (4)
  int32_t line_bytes = 0;
  bool bottom_up = true;
  std::vector<uint8_t> pixels;
};

// Shapes `image` as a DIB of that size: a bottom-up one with rows padded to
// 4 bytes, as a Windows bitmap holds them, or a top-down one without padding.
// Pixels of an image that already has this size are neither reallocated nor
// cleared, so repeated decodes into one image only write the pixels. False
// for a side of 0 or beyond kMaxImageSide.
bool ShapeDib(DibImage& image, int32_t width, int32_t height, int32_t channels, int32_t color, bool bottomUp);

// The bytes of image row `row`, 0 being the top row, in either row order.
inline const uint8_t* ImageRow(const DibImage& image, int32_t row) {
  const int32_t line = image.bottom_up ? image.height - 1 - row : row;
  return image.pixels.data() + static_cast<size_t>(line) * static_cast<size_t>(image.line_bytes);
}
inline uint8_t* ImageRow(DibImage& image, int32_t row) {
  return const_cast<uint8_t*>(ImageRow(static_cast<const DibImage&>(image), row));
}

// A row in the colour order a file stores: `row` itself, or a copy in
// `scratch` with the first and third bytes of each pixel exchanged when the
// image holds three channels in the other of the BGR and RGB orders.
const uint8_t* RowInFileOrder(const DibImage& image, int32_t row, bool fileIsBgr, std::vector<uint8_t>& scratch);

}  // namespace halvora::tools
