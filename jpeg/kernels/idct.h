// Inverse DCTs: each turns one dequantised block into samples in place,
// level-shifted by 128 and clamped to 0..255. The reduced sizes write their
// n x n samples into the block's top-left corner (rows of 8 entries); the
// rest of the block is scratch afterwards.
#pragma once

#include "jpeg/kernels/kernel_types.h"

namespace halvora::jpeg {

// Method 0: the AAN transform on blocks dequantised with the scaled tables.
void InverseDct8x8Method0Plain(CoefficientBlock& block);
void InverseDct4x4Method0Plain(CoefficientBlock& block);
void InverseDct2x2Method0Plain(CoefficientBlock& block);
void InverseDct1x1Method0Plain(CoefficientBlock& block);

// Method 1: the integer transform with 32-bit intermediates on blocks
// dequantised with the unscaled tables.
void InverseDct8x8Method1Plain(CoefficientBlock& block);
void InverseDct4x4Method1Plain(CoefficientBlock& block);
void InverseDct2x2Method1Plain(CoefficientBlock& block);
void InverseDct1x1Method1Plain(CoefficientBlock& block);

}  // namespace halvora::jpeg
