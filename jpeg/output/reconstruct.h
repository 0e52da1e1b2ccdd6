// From the decoded blocks of one MCU to pixels in the caller's DIB.
#pragma once

#include "jpeg/entropy/region_index.h"
#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

// Runs the inverse DCT over the first `blockCount` blocks of the MCU buffer
// and writes MCU (column, row) through the output routine chosen for the
// image; an MCU outside the scan's region is not written. A read with a raw
// plane list gets the blocks in its planes instead (raw_planes.h). The MCUs
// whose turn to be written this was (none, one, or with interpolated chroma,
// whose output runs behind the decoding, those the MCU completes).
UnitWindow ReconstructMcu(PrivateState& state, int column, int row, int blockCount);

}  // namespace halvora::jpeg
