#include <cstdint>

#include "jpeg/kernels/constant_tables.h"
#include "jpeg/kernels/quant.h"

namespace halvora::jpeg {

namespace {

// v x A x 1/16 x 32768 + 0.5 in floating point, in that order, truncated:
// v s(u)s(v) x 256 rounded half up. The largest DQT value (65535) at the
// largest factor (0.125) gives 16777216, so 32 bits always hold it.
int32_t ScaledFactor(int32_t value, double aanFactor) {
  return static_cast<int32_t>(value * aanFactor * 0.0625 * 32768 + 0.5);
}

}  // namespace

void PrepareQuantTable(int32_t* entries, int dctMethod) {
  int32_t zigzag[64];
  for (int k = 0; k < 64; ++k) zigzag[k] = entries[k];
  for (int k = 0; k < 64; ++k) {
    const int32_t natural = kZigZagToNatural[k];
    entries[natural] = dctMethod == 1 ? zigzag[k] : ScaledFactor(zigzag[k], kAanScaleFactors[k]);
  }
  for (int k = 64; k < 80; ++k) entries[k] = 0;
}

void DequantizeBlockMethod0Plain(const CoefficientBlock& coefficients, const int32_t* entries,
                                 CoefficientBlock& block) {
  for (int i = 0; i < 64; ++i) block.values[i] = DequantizedTermMethod0(coefficients.values[i], entries[i]);
}

void DequantizeBlockMethod1Plain(const CoefficientBlock& coefficients, const int32_t* entries,
                                 CoefficientBlock& block) {
  for (int i = 0; i < 64; ++i) block.values[i] = DequantizedTermMethod1(coefficients.values[i], entries[i]);
}

}  // namespace halvora::jpeg
