// The raw plane list: a read whose record sets it gets the transformed
// samples of each frame component in a 16-bit plane of its own instead of
// the DIB, and nothing else is written.
//
// Entry k + 1 of the list is the plane of frame component k (entry 0 is not
// used; a null entry leaves its component out). With n samples a block side
// (8 at full size; 4, 2 or 1 for the half, quarter and eighth reads, whose
// blocks are all transformed at n x n), the plane of a component sampled
// H x V is (MCUs per row x H x n) samples wide and (MCU rows x V x n) rows
// high, and block (bx, by) of the component in MCU (c, r) goes, as n rows of
// n samples, to columns (c H + bx) n and rows (r V + by) n. A block of a
// single-component scan lands at its own block position in its component's
// plane.
#pragma once

#include <cstdint>

#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

// The list the read was given, or null.
int16_t* const* RawPlaneList(const PrivateState& state);

// Copies block (blockColumn, blockRow) of frame component `component`,
// blockSize samples a side, into that component's plane.
void WriteRawBlock(const PrivateState& state, const CoefficientBlock& block, int component, int blockColumn,
                   int blockRow, int blockSize);

// Copies the first blockCount blocks of the current scan's MCU (column, row)
// into the planes of their components.
void WriteRawScanMcu(const PrivateState& state, const CoefficientBlock* blocks, int blockCount, int column, int row,
                     int blockSize);

}  // namespace halvora::jpeg
