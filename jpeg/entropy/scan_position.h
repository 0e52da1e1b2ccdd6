// Where a scan stands: the restart boundaries, where the entropy-coded data
// starts afresh, and the position an interrupted scan goes on from.
#pragma once

#include <halvora/jpeg.h>
#include "jpeg/input/stream_input.h"
#include "jpeg/markers/frame.h"

namespace halvora::jpeg {

// Called after each unit (an MCU of a sequential scan) at (column, row) of a
// grid of unitsPerRow x unitRows units. At the end of every interval but the
// last, the DC predictions restart at 0, the bits left in the current byte
// are dropped and the next marker is taken as the restart marker, whatever
// its code: the pending one, or the next in the stream (its error is
// returned). 0 or a negative code.
int HandleRestart(JpegStream& stream, JpegScan& scan, int unitsPerRow, int unitRows, int column, int row);

// After unit (column, row) of a scan with `perRow` units in each of `rows`
// rows, when an interrupt was requested: 1 with the resume position on the
// next unit and `region` := `named` (the units just decoded or written, in
// units), or 0 when that was the scan's last unit (the resume position then
// starts over).
int StopAfterUnit(JpegScan& scan, JpegRegion& region, int perRow, int rows, int column, int row,
                  const JpegRegion& named);

}  // namespace halvora::jpeg
