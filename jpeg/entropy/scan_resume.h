// Where an interrupted scan goes on.
#pragma once

#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

// After unit (column, row) of a scan with `perRow` units in each of `rows`
// rows, when an interrupt was requested: 1 with the resume position on the
// next unit and `region` naming the unit just decoded, or 0 when that was the
// scan's last unit (the resume position then starts over).
int StopAfterUnit(JpegScan& scan, JpegRegion& region, int perRow, int rows, int column, int row);

}  // namespace halvora::jpeg
