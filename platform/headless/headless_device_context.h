// A device context of the headless host: draws into a control's surface.
#pragma once

#include "platform/dialog_host.h"
#include "platform/headless/rgb_surface.h"

namespace halvora::platform::headless {

class HeadlessDeviceContext final : public DeviceContext {
 public:
  HeadlessDeviceContext(RgbSurface& surface, int& drawings) : m_surface(surface), m_drawings(drawings) {}

  RgbSurface& Surface() { return m_surface; }
  void CountDrawing() { ++m_drawings; }

 private:
  RgbSurface& m_surface;
  int& m_drawings;
};

}  // namespace halvora::platform::headless
