// The coefficients of a progressive image, kept for the life of the record:
// every block of the image, MCU after MCU in row order; inside an MCU, each
// frame component's H x V blocks in raster order, components in frame order.
#pragma once

#include <cstdint>

#include "jpeg/jpeg_state.h"

namespace halvora::jpeg {

// Allocates the zero-filled buffer for the frame's MCU grid (an AC first scan
// never clears a block, so every block must start at zero). The size is
// worked out in 64 bits; -5 when it cannot be had.
int AllocateCoefficientBuffer(PrivateState& state);

// Where the blocks of each frame component start inside an MCU.
struct CoefficientLayout {
  int32_t blocks_per_mcu;
  int32_t first_block[kMaxComponents];
  int32_t mcus_per_row;
};
CoefficientLayout LayoutOf(const PrivateState& state);

// Block (h, v) of frame component `component` inside MCU (column, row).
CoefficientBlock& CoefficientBlockAt(PrivateState& state, const CoefficientLayout& layout, int column, int row,
                                     int component, int h, int v);

}  // namespace halvora::jpeg
