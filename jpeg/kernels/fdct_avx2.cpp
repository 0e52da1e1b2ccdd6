// The forward DCT with quantisation on 256-bit registers: the arithmetic of
// fdct_sse2.cpp, step for step, with two blocks side by side, one in each
// 128-bit half. Every instruction used works within the halves, so each half
// computes exactly what the 128-bit kernel (and the plain one) computes for
// its block. A last block without a neighbour goes through alone, its twin
// half computing a block of zeros that is never stored.
#include <immintrin.h>

#include "jpeg/kernels/fdct.h"

namespace halvora::jpeg {

namespace {

using namespace fdct_constants;

__m256i Pair(int32_t first, int32_t second) {
  return _mm256_set1_epi32(
      static_cast<int32_t>((static_cast<uint32_t>(second) << 16) | (static_cast<uint32_t>(first) & 0xFFFF)));
}

struct Products {
  __m256i low;
  __m256i high;
};

Products Multiply(__m256i a, __m256i b, int32_t first, int32_t second) {
  const __m256i factors = Pair(first, second);
  return {_mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), factors),
          _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), factors)};
}

Products operator+(Products x, Products y) {
  return {_mm256_add_epi32(x.low, y.low), _mm256_add_epi32(x.high, y.high)};
}

template <int kShift>
__m256i Descaled(Products sum) {
  const __m256i rounding = _mm256_set1_epi32(1 << (kShift - 1));
  return _mm256_packs_epi32(_mm256_srai_epi32(_mm256_add_epi32(sum.low, rounding), kShift),
                            _mm256_srai_epi32(_mm256_add_epi32(sum.high, rounding), kShift));
}

template <int kShift>
void Transform8(const __m256i (&x)[8], __m256i (&y)[8]) {
  const __m256i s0 = _mm256_add_epi16(x[0], x[7]), s1 = _mm256_add_epi16(x[1], x[6]);
  const __m256i s2 = _mm256_add_epi16(x[2], x[5]), s3 = _mm256_add_epi16(x[3], x[4]);
  const __m256i d0 = _mm256_sub_epi16(x[0], x[7]), d1 = _mm256_sub_epi16(x[1], x[6]);
  const __m256i d2 = _mm256_sub_epi16(x[2], x[5]), d3 = _mm256_sub_epi16(x[3], x[4]);
  const __m256i e0 = _mm256_add_epi16(s0, s3), e1 = _mm256_add_epi16(s1, s2);
  const __m256i a = _mm256_sub_epi16(s0, s3), b = _mm256_sub_epi16(s1, s2);
  y[0] = Descaled<kShift>(Multiply(e0, e1, kK0, kK0));
  y[4] = Descaled<kShift>(Multiply(e0, e1, kK0, -kK0));
  y[2] = Descaled<kShift>(Multiply(a, b, kC2, kC6));
  y[6] = Descaled<kShift>(Multiply(a, b, kC6, -kC2));
  y[1] = Descaled<kShift>(Multiply(d0, d1, kC1, kC3) + Multiply(d2, d3, kC5, kC7));
  y[3] = Descaled<kShift>(Multiply(d0, d1, kC3, -kC7) + Multiply(d2, d3, -kC1, -kC5));
  y[5] = Descaled<kShift>(Multiply(d0, d1, kC5, -kC1) + Multiply(d2, d3, kC7, kC3));
  y[7] = Descaled<kShift>(Multiply(d0, d1, kC7, -kC5) + Multiply(d2, d3, kC3, -kC1));
}

void Transpose(const __m256i (&in)[8], __m256i (&out)[8]) {
  const __m256i a0 = _mm256_unpacklo_epi16(in[0], in[1]), a1 = _mm256_unpackhi_epi16(in[0], in[1]);
  const __m256i a2 = _mm256_unpacklo_epi16(in[2], in[3]), a3 = _mm256_unpackhi_epi16(in[2], in[3]);
  const __m256i a4 = _mm256_unpacklo_epi16(in[4], in[5]), a5 = _mm256_unpackhi_epi16(in[4], in[5]);
  const __m256i a6 = _mm256_unpacklo_epi16(in[6], in[7]), a7 = _mm256_unpackhi_epi16(in[6], in[7]);
  const __m256i b0 = _mm256_unpacklo_epi32(a0, a2), b1 = _mm256_unpackhi_epi32(a0, a2);
  const __m256i b2 = _mm256_unpacklo_epi32(a1, a3), b3 = _mm256_unpackhi_epi32(a1, a3);
  const __m256i b4 = _mm256_unpacklo_epi32(a4, a6), b5 = _mm256_unpackhi_epi32(a4, a6);
  const __m256i b6 = _mm256_unpacklo_epi32(a5, a7), b7 = _mm256_unpackhi_epi32(a5, a7);
  out[0] = _mm256_unpacklo_epi64(b0, b4);
  out[1] = _mm256_unpackhi_epi64(b0, b4);
  out[2] = _mm256_unpacklo_epi64(b1, b5);
  out[3] = _mm256_unpackhi_epi64(b1, b5);
  out[4] = _mm256_unpacklo_epi64(b2, b6);
  out[5] = _mm256_unpackhi_epi64(b2, b6);
  out[6] = _mm256_unpacklo_epi64(b3, b7);
  out[7] = _mm256_unpackhi_epi64(b3, b7);
}

__m256i BothHalves(const uint16_t* values) {
  return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(values)));
}

__m256i Quantise(__m256i c, const ForwardQuantTable& table, int i) {
  const __m256i sign = _mm256_srai_epi16(c, 15);
  const __m256i magnitude = _mm256_sub_epi16(_mm256_xor_si256(c, sign), sign);
  const __m256i n = _mm256_add_epi16(magnitude, BothHalves(table.half + i));
  const __m256i quotient =
      _mm256_mulhi_epu16(_mm256_mulhi_epu16(n, BothHalves(table.reciprocal + i)), BothHalves(table.scale + i));
  return _mm256_sub_epi16(_mm256_xor_si256(quotient, sign), sign);
}

// Blocks `first` and (when `pair`) the one beside it.
void ForwardDctBlocks(const uint8_t* samples, ptrdiff_t stride, bool pair, const ForwardQuantTable& table,
                      CoefficientBlock* first) {
  const __m256i levelShift = _mm256_set1_epi16(128);
  __m256i rows[8];
  __m128i sums = _mm_setzero_si128();  // of each block's samples, one a 64-bit half
  for (int r = 0; r < 8; ++r) {
    const auto* line = reinterpret_cast<const __m128i*>(samples + r * stride);
    const __m128i bytes = pair ? _mm_loadu_si128(line) : _mm_loadl_epi64(line);
    sums = _mm_add_epi64(sums, _mm_sad_epu8(bytes, _mm_setzero_si128()));
    // Widening puts bytes 0 to 7 (this block's row) in the low half, 8 to 15
    // (the next block's) in the high one.
    rows[r] = _mm256_sub_epi16(_mm256_cvtepu8_epi16(bytes), levelShift);
  }
  __m256i frequencies[8];
  Transform8<kColumnShift>(rows, frequencies);
  Transpose(frequencies, rows);
  Transform8<kRowShift>(rows, frequencies);
  Transpose(frequencies, rows);
  rows[0] = _mm256_insert_epi16(rows[0], static_cast<int16_t>(ExactDc(_mm_cvtsi128_si32(sums))), 0);
  rows[0] = _mm256_insert_epi16(rows[0], static_cast<int16_t>(ExactDc(_mm_extract_epi16(sums, 4))), 8);
  for (int v = 0; v < 8; ++v) {
    const __m256i quantised = Quantise(rows[v], table, 8 * v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(first[0].values + 8 * v), _mm256_castsi256_si128(quantised));
    if (pair) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(first[1].values + 8 * v), _mm256_extracti128_si256(quantised, 1));
    }
  }
}

}  // namespace

void ForwardDctAvx2(const uint8_t* samples, ptrdiff_t stride, int32_t count, const ForwardQuantTable& table,
                    CoefficientBlock* blocks) {
  int32_t i = 0;
  for (; i + 2 <= count; i += 2) ForwardDctBlocks(samples + 8 * i, stride, true, table, blocks + i);
  if (i < count) ForwardDctBlocks(samples + 8 * i, stride, false, table, blocks + i);
}

}  // namespace halvora::jpeg
