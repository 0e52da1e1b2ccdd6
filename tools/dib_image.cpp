#include "tools/dib_image.h"

#include <algorithm>

#include <halvora/jpeg.h>

namespace halvora::tools {

bool ShapeDib(DibImage& image, int32_t width, int32_t height, int32_t channels, int32_t color, bool bottomUp) {
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) return false;
  const int32_t rowBytes = width * channels;
  image.width = width;
  image.height = height;
  image.channels = channels;
  image.color = color;
  image.bottom_up = bottomUp;
  image.line_bytes = bottomUp ? (rowBytes + 3) / 4 * 4 : rowBytes;
  image.pixels.resize(static_cast<size_t>(image.line_bytes) * static_cast<size_t>(height));
  return true;
}

const uint8_t* RowInFileOrder(const DibImage& image, int32_t row, bool fileIsBgr, std::vector<uint8_t>& scratch) {
  const uint8_t* source = ImageRow(image, row);
  const bool swap = image.channels == 3 && (fileIsBgr ? image.color == JpegColorRgb : image.color == JpegColorBgr);
  if (!swap) return source;
  const size_t rowBytes = static_cast<size_t>(image.width) * 3;
  scratch.assign(source, source + rowBytes);
  for (size_t i = 0; i < rowBytes; i += 3) std::swap(scratch[i], scratch[i + 2]);
  return scratch.data();
}

}  // namespace halvora::tools
