// The size a read reconstructs at: 1 for full-size reads, 2, 4 or 8 for the
// half, quarter and eighth reads, whose blocks hold 8/scale samples a side.
#pragma once

#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

int OutputScale(int ioType);

// The transform entry (0..3 for 8x8, 4x4, 2x2, 1x1 samples) of a scale.
int TransformIndex(int scale);

// Whether a reduced read transforms the blocks of the components of one
// block per MCU one size larger: when the frame's largest horizontal factor
// is 2 and every component is sampled 1x1 or 2x2 (4:2:0). Those components
// then come out at the luminance's resolution and are copied one to one.
bool UsesSimpleSampling(const JpegFrame& frame);

// The output size of a read at `scale`: ceil(size / scale).
int ScaledSize(int size, int scale);

}  // namespace halvora::jpeg
