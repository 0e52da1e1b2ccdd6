// Progressive images: each scan adds to the coefficient buffer; the pixels
// are written once, when the image ends.
#pragma once

#include <halvora/jpeg.h>
#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

// The most scans one progressive image may have. Every scan visits at most
// every block of the image, so this bounds the work per image at this many
// passes over the coefficient buffer, however many tiny scans a stream holds.
// A complete progression needs far fewer (a scan per band and bit plane).
inline constexpr int kMaxProgressiveScans = 1000;

// Decodes the current scan of a progressive image into the coefficient buffer
// from its resume position: 0, 1 when `interrupt_request` stopped it after
// one unit (an MCU, or a block of a single-component scan; `region` then
// names that unit and the scan resumes after it), or a negative code: -21 for
// a scan no progression can hold or one past kMaxProgressiveScans, -25 for a
// missing restart marker.
int DecodeProgressiveScan(JpegStream& stream, JpegScan& scan, JPEG_PROPERTIES& record);

}  // namespace halvora::jpeg
