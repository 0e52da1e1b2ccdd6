#include "platform/headless/rgb_surface.h"

#include <algorithm>

namespace halvora::platform::headless {

RgbSurface::RgbSurface(int32_t width, int32_t height, Rgb fill)
    : m_width(std::max(width, 0)),
      m_height(std::max(height, 0)),
      m_pixels(static_cast<size_t>(m_width) * static_cast<size_t>(m_height), fill) {}

Rgb RgbSurface::At(int32_t x, int32_t y) const {
  return m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
}

void RgbSurface::Set(int32_t x, int32_t y, Rgb colour) {
  m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)] = colour;
}

void RgbSurface::Fill(const Rect& area, Rgb colour) {
  const int32_t left = std::max(area.left, 0);
  const int32_t top = std::max(area.top, 0);
  const int32_t right = std::min(area.right, m_width);
  const int32_t bottom = std::min(area.bottom, m_height);
  for (int32_t y = top; y < bottom; ++y) {
    for (int32_t x = left; x < right; ++x) Set(x, y, colour);
  }
}

bool RgbSurface::IsFilledWith(Rgb colour) const {
  return std::all_of(m_pixels.begin(), m_pixels.end(), [colour](Rgb p) { return p == colour; });
}

}  // namespace halvora::platform::headless
