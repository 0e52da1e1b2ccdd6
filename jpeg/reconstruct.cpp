#include "jpeg/reconstruct.h"

#include "jpeg/dispatch.h"
#include "jpeg/kernels/clip_mcu.h"

namespace halvora::jpeg {

void ReconstructMcu(PrivateState& state, int column, int row, int blockCount) {
  McuBuffer& mcu = *state.mcu_buffer;
  const KernelTable& kernels = *state.stream.kernels;
  const InverseDctKernel inverseDct = kernels.active_inverse_dct[0];
  for (int i = 0; i < blockCount; ++i) inverseDct(mcu.blocks[i]);

  const WorkingFields& work = state.work;
  McuTarget target{};
  if (ClipMcu(state.scan_region, state.frame.mcu_width, state.frame.mcu_height, column, row, work.dib_channels,
              work.dib_line_bytes, state.stream.top_line, work.dib_width, work.dib_height, &target) != 0) {
    return;
  }
  kernels.output_mcu(mcu, target);
}

}  // namespace halvora::jpeg
