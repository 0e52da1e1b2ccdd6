// Writing a progressive image from its coefficient buffer.
#pragma once

#include <halvora/jpeg.h>
#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

// Writes every MCU of a progressive image that meets the read's region from
// the coefficient buffer as it stands (complete or not) into the DIB: inverse
// DCT and per-component output, with interpolated chroma when the read asks
// for it (its neighbours transformed from the buffer too, inside the region
// or not), or into the raw planes of a read that sets them (raw_planes.h).
// 0 (also when there is no progressive image) or -12 when the DIB's layout
// has no per-component routine.
int OutputProgressiveImage(JPEG_PROPERTIES& record);

// -12 when the per-component routine cannot write this frame into this DIB
// (a read into raw planes writes no DIB and is never refused here).
int ProgressiveOutputRefusal(const PrivateState& state);

}  // namespace halvora::jpeg
