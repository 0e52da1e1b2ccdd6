// The coefficients of a progressive image, kept for the life of the record.
// Each frame component's blocks form a plane of their own, in raster order:
// (MCUs across x H) blocks a row, (MCUs down x V) rows, the planes one after
// another in frame order. A scan of one component (every AC scan is one)
// then walks its blocks in memory order.
#pragma once

#include <cstdint>

#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

// Allocates the zero-filled buffer for the frame's MCU grid (an AC first scan
// never clears a block, so every block must start at zero), with the
// blocks' nonzero positions after them. The size is worked out in 64 bits;
// -5 when it cannot be had.
int AllocateCoefficientBuffer(PrivateState& state);

// Frees the buffer; the image's scans are then decoded again, from the first,
// by the next read, as for an image never read.
void ReleaseCoefficientBuffer(PrivateState& state);

// Whether the coefficients kept serve the read: every component whose AC
// scans were passed over shows its DC terms alone in it too.
bool CoefficientsServeRead(const PrivateState& state);

// Where the blocks of each frame component start inside an MCU, and where
// its plane lies in the buffer.
struct CoefficientLayout {
  int32_t blocks_per_mcu;
  int32_t first_block[kMaxComponents];
  int64_t plane_start[kMaxComponents];    // the plane's first block
  int32_t blocks_across[kMaxComponents];  // the plane's blocks a row
  int32_t horizontal[kMaxComponents];     // the component's sampling factors
  int32_t vertical[kMaxComponents];
};
CoefficientLayout LayoutOf(const PrivateState& state);

// Block (h, v) of frame component `component` inside MCU (column, row).
// Inline: the scans and the output ask for every block this way.
inline CoefficientBlock& CoefficientBlockAt(PrivateState& state, const CoefficientLayout& layout, int column,
                                            int row, int component, int h, int v) {
  const int64_t blockRow = int64_t{row} * layout.vertical[component] + v;
  const int64_t blockColumn = int64_t{column} * layout.horizontal[component] + h;
  const int64_t index = layout.plane_start[component] + blockRow * layout.blocks_across[component] + blockColumn;
  return reinterpret_cast<CoefficientBlock*>(state.progression.coefficient_buffer)[index];
}

}  // namespace halvora::jpeg
