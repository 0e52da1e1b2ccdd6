// Placement of one MCU in the caller's DIB, shared by every output routine.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jpeg/kernels/kernel_types.h"

namespace halvora::jpeg {

// The codec's "Invalid JPEG_PROPERTIES" code: here, an MCU that lies wholly
// outside the region of interest. The MCU is skipped and decoding goes on.
inline constexpr int kMcuOutsideRegion = -8;

// Works out where MCU (mcuX, mcuY) of mcuWidth x mcuHeight pixels lands in the
// DIB and which of its pixels are visible. `pixels` is the DIB line of the top
// image row (or of the region's top row), `lineBytes` its signed stride; only
// the magnitude of `dibHeight` counts. An empty `region` (all zero) means the
// DIB holds the whole image; otherwise it holds the region only. Returns 0 and
// fills `target`, or kMcuOutsideRegion and leaves `target` alone.
int ClipMcu(const PixelRect& region, int mcuWidth, int mcuHeight, int mcuX, int mcuY, int channels,
            ptrdiff_t lineBytes, uint8_t* pixels, int dibWidth, int dibHeight, McuTarget* target);

}  // namespace halvora::jpeg
