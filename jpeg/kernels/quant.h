// Quantisation tables and the dequantisation of decoded blocks.
#pragma once

#include <cstdint>

#include "jpeg/kernels/kernel_types.h"

namespace halvora::jpeg {

// Rewrites the 64 values of a DQT table, stored at `entries` in stream
// (zig-zag) order, into the prepared table of `dctMethod`: 64 factors in
// natural order followed by 16 zeros (80 entries in all). Method 1 keeps the
// values; method 0 (and any other value) folds in the AAN scale factors with 8
// fraction bits, at full 32-bit precision.
void PrepareQuantTable(int32_t* entries, int dctMethod);

// Method 0: c = low 16 bits of ((c x factor + 64) >> 7). The product is
// formed in 64 bits so that no factor and coefficient can overflow it.
void DequantizeBlockMethod0Plain(CoefficientBlock& block, const int32_t* entries);

// Method 1: c = low 16 bits of (c x factor).
void DequantizeBlockMethod1Plain(CoefficientBlock& block, const int32_t* entries);

}  // namespace halvora::jpeg
