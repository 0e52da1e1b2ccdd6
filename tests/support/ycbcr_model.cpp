#include "tests/support/ycbcr_model.h"

#include <algorithm>

namespace halvora::test_support {

namespace {

uint8_t Clamp(int value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); }

}  // namespace

// An arithmetic shift of a negative value rounds down, as the codec's terms do.
Rgb ModelYccToRgb(int y, int cb, int cr, GreenForm form) {
  const int green =
      form == GreenForm::kFused ? y - ((88 * cb + 183 * cr - 34806) >> 8) : y + ((34806 - 88 * cb - 183 * cr) >> 8);
  return {Clamp(y + ((359 * cr - 45813) >> 8)), Clamp(green), Clamp(y + ((454 * cb - 57937) >> 8))};
}

std::vector<uint8_t> ModelGenericBgr(const std::vector<uint8_t>& ycc) {
  std::vector<uint8_t> bgr(ycc.size());
  for (size_t i = 0; i + 2 < ycc.size(); i += 3) {
    const Rgb rgb = ModelYccToRgb(ycc[i], ycc[i + 1], ycc[i + 2], GreenForm::kGeneric);
    bgr[i] = rgb.b, bgr[i + 1] = rgb.g, bgr[i + 2] = rgb.r;
  }
  return bgr;
}

}  // namespace halvora::test_support
