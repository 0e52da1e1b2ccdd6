// The stretch drawing of the headless host: the whole DIB onto a target
// rectangle, nearest neighbour, aspect ratio not kept.
#pragma once

#include <cstdint>

#include "platform/headless/rgb_surface.h"
#include "platform/stretch_draw.h"

namespace halvora::platform::headless {

// Draws the image over (0, 0, width, height) of the surface, clipped to it.
// Handles 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed or with
// BI_BITFIELDS masks, bottom-up or top-down; anything else draws nothing.
void StretchDibNearest(const DibImage& image, RgbSurface& surface, int32_t width, int32_t height);

// Draws into the device contexts of the headless host; any other target is
// left alone.
class SoftwareStretchDrawer final : public StretchDrawer {
 public:
  void Draw(DeviceContext& target, int32_t width, int32_t height, const DibImage& image) override;
};

}  // namespace halvora::platform::headless
