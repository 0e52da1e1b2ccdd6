// Reference models of the inverse DCTs, written afresh from the documented
// one-dimensional steps in 64-bit arithmetic. The 32-bit intermediates of the
// kernels are reproduced by reducing to 32-bit two's complement before every
// shift and division and wherever a value is kept; sums and products commute
// with that reduction, so the models wrap exactly where the kernels do.
#pragma once

#include <cstdint>

namespace halvora::jpeg::testing {

using Block = int16_t[64];

void ReferenceIdct8x8Method1(Block& block);
void ReferenceIdct4x4Method1(Block& block);
void ReferenceIdct2x2Method1(Block& block);
void ReferenceIdct1x1Method1(Block& block);
void ReferenceIdct8x8Method0(Block& block);
void ReferenceIdct4x4Method0(Block& block);
void ReferenceIdct2x2Method0(Block& block);
void ReferenceIdct1x1Method0(Block& block);

}  // namespace halvora::jpeg::testing
