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
inline int16_t DequantizedTermMethod0(int16_t coefficient, int32_t factor) {
  const int64_t product = int64_t{coefficient} * factor;
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint64_t>((product + 64) >> 7)));
}
void DequantizeBlockMethod0Plain(const CoefficientBlock& coefficients, const int32_t* entries, CoefficientBlock& block);

// Method 1: c = low 16 bits of (c x factor). Unsigned, so that a factor of
// the scaled form (a table read while the other method was in force) wraps
// instead of overflowing; the low 16 bits are the same either way.
inline int16_t DequantizedTermMethod1(int16_t coefficient, int32_t factor) {
  const uint32_t product = static_cast<uint32_t>(coefficient) * static_cast<uint32_t>(factor);
  return static_cast<int16_t>(static_cast<uint16_t>(product));
}
void DequantizeBlockMethod1Plain(const CoefficientBlock& coefficients, const int32_t* entries, CoefficientBlock& block);

}  // namespace halvora::jpeg
