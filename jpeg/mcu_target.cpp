#include "jpeg/mcu_target.h"

#include "jpeg/kernels/clip_mcu.h"

namespace halvora::jpeg {

bool PlaceMcu(const PrivateState& state, int mcuWidth, int mcuHeight, int column, int row, McuTarget& target) {
  const WorkingFields& work = state.work;
  return ClipMcu(state.scan_region, mcuWidth, mcuHeight, column, row, work.dib_channels, work.dib_line_bytes,
                 state.stream.top_line, work.dib_width, work.dib_height, &target) == 0;
}

}  // namespace halvora::jpeg
