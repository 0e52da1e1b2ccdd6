// Entropy decoding of one scan.
#pragma once

#include <halvora/jpeg.h>
#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

// Whether `region` asks for less than the whole image.
bool IsRegionRead(const JpegRegion& region, const WorkingFields& work);

// Fixes, at the first scan of a read that does not resume one, the extent
// the read writes (the region in output pixels, or all 0 for the whole
// image); later scans of the image and resumed ones keep it, so the MCU an
// interrupted decode reports in `region` is never taken for a region.
// 0, or -5 when the region index cannot be had.
int SettleReadExtent(PrivateState& state, const JpegRegion& region);

// Decodes the current scan into the DIB: 0, 1 (interrupted), 2 (region
// complete) or a negative code. `marker` is set to 0; the marker that ends the
// scan's data stays pending in the stream.
int DecodeScan(int& marker, JpegStream& stream, JpegScan& scan, JPEG_PROPERTIES& record);

}  // namespace halvora::jpeg
