// The forward DCT with quantisation: samples of 8 x 8 blocks in, quantised
// coefficients out (ForwardDctKernel). Every form computes the same integers:
// the plain form defines them.
//
// The transform is separable: a pass down the columns, whose results keep 4
// fraction bits, then a pass along the rows, which keeps them too. Each
// 8-point transform splits its inputs into sums and differences of mirrored
// pairs and multiplies them by the cosines scaled by 2^15 (the even outputs
// from the sums, the odd ones from the differences), every product pair
// summed in 32 bits and rounded once.
//
// The DC coefficient is then replaced by its exact value, twice the sum of
// the level-shifted samples: the scaled factor of the DC (11585 for
// 2^15 / sqrt(8)) makes it a little too small, and a flat block whose DC
// lies exactly halfway between two quantisation steps would round to the
// lower one (white areas would come back one level darker).
#pragma once

#include "jpeg/kernels/encode_kernel_types.h"

namespace halvora::jpeg {

void ForwardDctPlain(const uint8_t* samples, ptrdiff_t stride, int32_t count, const ForwardQuantTable& table,
                     CoefficientBlock* blocks);

#if defined(HALVORA_JPEG_SSE2)
void ForwardDctSse2(const uint8_t* samples, ptrdiff_t stride, int32_t count, const ForwardQuantTable& table,
                    CoefficientBlock* blocks);
#endif

#if defined(HALVORA_JPEG_AVX2)
// Two blocks at a time, one in each half of the 256-bit registers.
void ForwardDctAvx2(const uint8_t* samples, ptrdiff_t stride, int32_t count, const ForwardQuantTable& table,
                    CoefficientBlock* blocks);
#endif

namespace fdct_constants {

// (1/2) c(k) cos(k pi / 16) x 2^15, c(0) = 1/sqrt(2): the factors of the
// 8-point transform, whose outputs are then the coefficients of the 2-D
// transform (1/4) c(u) c(v) sum f(x,y) cos((2x+1)u pi/16) cos((2y+1)v pi/16)
// after both passes.
inline constexpr int32_t kK0 = 11585;  // DC and the middle frequency
inline constexpr int32_t kC1 = 16069;
inline constexpr int32_t kC2 = 15137;
inline constexpr int32_t kC3 = 13623;
inline constexpr int32_t kC5 = 9102;
inline constexpr int32_t kC6 = 6270;
inline constexpr int32_t kC7 = 3196;

// The column pass keeps 4 fraction bits (a shift of 15 - 4); the row pass
// keeps them as well (a shift of 15), which quantisation accounts for.
inline constexpr int kColumnShift = 11;
inline constexpr int kRowShift = 15;

// The exact DC with 4 fraction bits of the 8 x 8 samples that sum to `sum`:
// 16 x (sum - 64 x 128) / 8.
inline int32_t ExactDc(int32_t sum) { return 2 * (sum - 64 * 128); }

}  // namespace fdct_constants

}  // namespace halvora::jpeg
