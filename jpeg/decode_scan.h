// Entropy decoding of one scan.
#pragma once

#include "jpeg/jpeg.h"
#include "jpeg/jpeg_state.h"

namespace halvora::jpeg {

// Decodes the current scan into the DIB: 0, 1 (interrupted), 2 (region
// complete) or a negative code. `marker` is set to 0; the marker that ends the
// scan's data stays pending in the stream.
int DecodeScan(int& marker, JpegStream& stream, JpegScan& scan, JPEG_PROPERTIES& record);

}  // namespace halvora::jpeg
