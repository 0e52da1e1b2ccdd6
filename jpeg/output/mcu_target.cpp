#include "jpeg/output/mcu_target.h"

#include "jpeg/kernels/clip_mcu.h"

namespace halvora::jpeg {

bool PlaceMcu(const PrivateState& state, int mcuWidth, int mcuHeight, int column, int row, McuTarget& target) {
  const WorkingFields& work = state.work;
  McuTarget placed{};
  if (ClipMcu(state.scan_region, mcuWidth, mcuHeight, column, row, work.dib_channels, work.dib_line_bytes,
              state.stream.top_line, work.dib_width, work.dib_height, &placed) != 0) {
    return false;
  }
  // An MCU past the DIB's right or bottom edge (a DIB smaller than the image)
  // gets an inverted rectangle: it has nothing to write.
  const PixelRect& visible = placed.visible;
  if (visible.left >= visible.right || visible.top >= visible.bottom) return false;
  target = placed;
  return true;
}

}  // namespace halvora::jpeg
