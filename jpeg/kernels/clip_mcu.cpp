#include "jpeg/kernels/clip_mcu.h"

#include <algorithm>

namespace halvora::jpeg {

namespace {

bool IsEmpty(const PixelRect& region) {
  return region.left == 0 && region.top == 0 && region.right == 0 && region.bottom == 0;
}

// Every coordinate fits 32 bits, but sums such as x0 + mcuWidth and
// W - x0 + left are formed in 64 bits so that no caller's value can overflow them.
int32_t Narrow(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

int ClipMcu(const PixelRect& region, int mcuWidth, int mcuHeight, int mcuX, int mcuY, int channels,
            ptrdiff_t lineBytes, uint8_t* pixels, int dibWidth, int dibHeight, McuTarget* target) {
  const int64_t x0 = int64_t{mcuX} * mcuWidth;
  const int64_t y0 = int64_t{mcuY} * mcuHeight;
  const int64_t width = dibWidth;
  const int64_t height = dibHeight < 0 ? -int64_t{dibHeight} : int64_t{dibHeight};

  McuTarget placed{pixels, 0, lineBytes, channels, {}};
  if (IsEmpty(region)) {
    placed.topLeft = static_cast<ptrdiff_t>(x0 * channels + y0 * lineBytes);
    placed.visible = {0, 0, Narrow(std::min<int64_t>(mcuWidth, width - x0)),
                      Narrow(std::min<int64_t>(mcuHeight, height - y0))};
  } else {
    if (x0 >= region.right || x0 + mcuWidth < region.left || y0 >= region.bottom || y0 + mcuHeight < region.top) {
      return kMcuOutsideRegion;
    }
    placed.topLeft = static_cast<ptrdiff_t>((x0 - region.left) * channels + (y0 - region.top) * lineBytes);
    placed.visible = {
        Narrow(std::max<int64_t>(region.left - x0, 0)),
        Narrow(std::max<int64_t>(region.top - y0, 0)),
        Narrow(std::min({int64_t{mcuWidth}, region.right - x0, width - x0 + region.left})),
        Narrow(std::min({int64_t{mcuHeight}, region.bottom - y0, height - y0 + region.top})),
    };
  }
  *target = placed;
  return 0;
}

}  // namespace halvora::jpeg
