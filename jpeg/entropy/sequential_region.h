// Reads of a region of interest of a sequential scan: only the MCUs that meet
// the region are reconstructed; the rows above it and the columns beside it
// are passed over keeping only their DC terms, and the region index lets the
// read start at the nearest row whose input state it recorded.
#pragma once

#include <halvora/jpeg.h>
#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

// Decodes the part of the current scan that the read's region needs, from
// the scan's resume position when it has one, else from the region's first
// row. 2 when the region is complete and the scan is the image's last, 0 when
// the region is complete in an earlier scan of an image coded in
// single-component scans (the next scans follow), 1 when `interrupt_request`
// stopped it after one MCU (as a whole-image decode does), or a negative code:
// -21 for a block that cannot be decoded, -25 for a missing restart marker,
// -23 when a file cannot be moved back to a recorded row.
int DecodeSequentialRegion(JpegStream& stream, JpegScan& scan, JPEG_PROPERTIES& record);

}  // namespace halvora::jpeg
