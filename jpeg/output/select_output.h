// The output set-up of a known frame: working conversion flags and MCU geometry.
#pragma once

#include <halvora/jpeg.h>

namespace halvora::jpeg {

// Run after a frame header, after an APP14 marker once a frame is known, and
// at each scan header. 0, -8 (a packed YCbCr DIB for a layout it cannot hold)
// or -14 (a frame without usable components). It also chooses the routine
// that writes each MCU: a fused routine or copy, or the per-component routine
// (layouts without a fused routine, scans of fewer components than the frame,
// interpolated chroma). When no routine fits (a DIB that none fills from this
// frame, or factors the per-component routine cannot expand) the record notes
// why, and the decoder refuses the image before decoding.
int SelectOutput(JPEG_PROPERTIES& record);

}  // namespace halvora::jpeg
