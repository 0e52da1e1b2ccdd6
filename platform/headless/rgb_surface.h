// An in-memory picture of a window's client area, for tests to look at pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/dialog_host.h"

namespace halvora::platform::headless {

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  friend bool operator==(Rgb, Rgb) = default;
};

class RgbSurface {
 public:
  RgbSurface(int32_t width, int32_t height, Rgb fill);

  int32_t Width() const { return m_width; }
  int32_t Height() const { return m_height; }
  // (0, 0) is the top-left pixel.
  Rgb At(int32_t x, int32_t y) const;
  void Set(int32_t x, int32_t y, Rgb colour);
  // Fills the part of `area` that lies on the surface.
  void Fill(const Rect& area, Rgb colour);
  bool IsFilledWith(Rgb colour) const;

 private:
  int32_t m_width;
  int32_t m_height;
  std::vector<Rgb> m_pixels;
};

}  // namespace halvora::platform::headless
