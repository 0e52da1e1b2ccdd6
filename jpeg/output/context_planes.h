// The context planes of the interpolating chroma upsampling: the transformed
// blocks of three MCU rows, so that an MCU can be written once the MCUs
// around it are transformed. A sequential scan writes an MCU one MCU later
// (and one MCU row later when the chroma is halved vertically too); a
// progressive image rolls its rows through them as it is written.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

inline constexpr int kContextRows = 3;

// Blocks of one stored MCU: every frame component's.
int ContextBlocksPerMcu(const JpegFrame& frame);

// Bytes the planes take for the frame: three rows of mcusAcross MCUs of
// every frame block. 0 when the size cannot be had.
int64_t ContextPlaneBytes(const JpegFrame& frame, int mcusAcross);

// Whether the record holds planes of the size the current frame needs.
bool HasContextPlanes(const PrivateState& state);

// The stored blocks of MCU (column, row), in MCU order; the planes hold the
// rows row - 2 .. row.
CoefficientBlock* StoredMcu(PrivateState& state, int column, int row);

}  // namespace halvora::jpeg
