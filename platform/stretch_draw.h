// Stretched drawing of a device-independent bitmap (DrawDib on Windows).
#pragma once

#include <cstdint>

namespace halvora::platform {

class DeviceContext;

// A DIB as the drawing functions take it. `bitmapInfo` points at a 40-byte
// BITMAPINFOHEADER in the host's layout followed by a 256-entry colour table
// (or the three BI_BITFIELDS masks); `bits` at the pixel rows that header
// describes. The caller guarantees that both blocks are as large as the header
// says.
struct DibImage {
  const void* bitmapInfo = nullptr;
  const void* bits = nullptr;
  int32_t width = 0;
  int32_t height = 0;
};

// A drawing context for stretching DIBs; opened once and kept for the life of
// a picture (DrawDibOpen .. DrawDibClose).
class StretchDrawer {
 public:
  virtual ~StretchDrawer() = default;
  // Stretches the whole image over the rectangle (0, 0, width, height) of the
  // target; the aspect ratio is not kept.
  virtual void Draw(DeviceContext& target, int32_t width, int32_t height, const DibImage& image) = 0;
};

}  // namespace halvora::platform
