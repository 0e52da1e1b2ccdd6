// Restart intervals: where the entropy-coded data starts afresh.
#pragma once

#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

// Called after each unit (an MCU of a sequential scan) at (column, row) of a
// grid of unitsPerRow x unitRows units. At the end of every interval but the
// last, the DC predictions restart at 0, the bits left in the current byte
// are dropped and the next marker is taken as the restart marker, whatever
// its code: the pending one, or the next in the stream (its error is
// returned). 0 or a negative code.
int HandleRestart(JpegStream& stream, JpegScan& scan, int unitsPerRow, int unitRows, int column, int row);

}  // namespace halvora::jpeg
