// Writing one full-size MCU with interpolated chroma (luminance 2x1 or 2x2
// over 1x1 chroma): the chroma samples are blended with their neighbours,
// across MCU boundaries too, so the MCU is written only once the MCUs around
// it are decoded.
#pragma once

#include "jpeg/jpeg_state.h"
#include "jpeg/kernels/component_output.h"

namespace halvora::jpeg {

// The transformed blocks of the MCUs around the one written:
// mcus[dy + 1][dx + 1] is MCU (column + dx, row + dy), null outside the image.
struct McuNeighbourhood {
  const CoefficientBlock* mcus[3][3];
};

// Writes MCU (column, row), whose blocks are around.mcus[1][1] in the order
// `format` gives, into `target`; components of one block per MCU are
// interpolated, the others replicated.
void OutputSmoothMcu(const JpegFrame& frame, const ComponentOutputFormat& format, const McuNeighbourhood& around,
                     int column, int row, const McuTarget& target);

}  // namespace halvora::jpeg
