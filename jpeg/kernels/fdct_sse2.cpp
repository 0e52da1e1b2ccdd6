// The forward DCT with quantisation on 128-bit registers, one block at a
// time. Each register holds a row of the block, so the column pass runs on
// all eight columns at once; a transpose turns the columns into registers
// for the row pass, and another one brings the coefficients back into rows
// for quantisation. Every product pair is one 16 x 16-bit multiply-add into
// 32 bits, rounded and shifted exactly as the plain kernel does; the sums
// and differences between them fit 16 bits for every block of samples.
#include <emmintrin.h>

#include "jpeg/kernels/fdct.h"

namespace halvora::jpeg {

namespace {

using namespace fdct_constants;

__m128i Pair(int32_t first, int32_t second) {
  return _mm_set1_epi32(
      static_cast<int32_t>((static_cast<uint32_t>(second) << 16) | (static_cast<uint32_t>(first) & 0xFFFF)));
}

// first x a + second x b for the eight lanes of a and b, in 32 bits: lanes
// 0 to 3 in `low`, 4 to 7 in `high`.
struct Products {
  __m128i low;
  __m128i high;
};

Products Multiply(__m128i a, __m128i b, int32_t first, int32_t second) {
  const __m128i factors = Pair(first, second);
  return {_mm_madd_epi16(_mm_unpacklo_epi16(a, b), factors), _mm_madd_epi16(_mm_unpackhi_epi16(a, b), factors)};
}

Products operator+(Products x, Products y) { return {_mm_add_epi32(x.low, y.low), _mm_add_epi32(x.high, y.high)}; }

template <int kShift>
__m128i Descaled(Products sum) {
  const __m128i rounding = _mm_set1_epi32(1 << (kShift - 1));
  return _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(sum.low, rounding), kShift),
                         _mm_srai_epi32(_mm_add_epi32(sum.high, rounding), kShift));
}

// The 8-point transform across the eight registers x (lane by lane).
template <int kShift>
void Transform8(const __m128i (&x)[8], __m128i (&y)[8]) {
  const __m128i s0 = _mm_add_epi16(x[0], x[7]), s1 = _mm_add_epi16(x[1], x[6]);
  const __m128i s2 = _mm_add_epi16(x[2], x[5]), s3 = _mm_add_epi16(x[3], x[4]);
  const __m128i d0 = _mm_sub_epi16(x[0], x[7]), d1 = _mm_sub_epi16(x[1], x[6]);
  const __m128i d2 = _mm_sub_epi16(x[2], x[5]), d3 = _mm_sub_epi16(x[3], x[4]);
  const __m128i e0 = _mm_add_epi16(s0, s3), e1 = _mm_add_epi16(s1, s2);
  const __m128i a = _mm_sub_epi16(s0, s3), b = _mm_sub_epi16(s1, s2);
  y[0] = Descaled<kShift>(Multiply(e0, e1, kK0, kK0));
  y[4] = Descaled<kShift>(Multiply(e0, e1, kK0, -kK0));
  y[2] = Descaled<kShift>(Multiply(a, b, kC2, kC6));
  y[6] = Descaled<kShift>(Multiply(a, b, kC6, -kC2));
  y[1] = Descaled<kShift>(Multiply(d0, d1, kC1, kC3) + Multiply(d2, d3, kC5, kC7));
  y[3] = Descaled<kShift>(Multiply(d0, d1, kC3, -kC7) + Multiply(d2, d3, -kC1, -kC5));
  y[5] = Descaled<kShift>(Multiply(d0, d1, kC5, -kC1) + Multiply(d2, d3, kC7, kC3));
  y[7] = Descaled<kShift>(Multiply(d0, d1, kC7, -kC5) + Multiply(d2, d3, kC3, -kC1));
}

void Transpose(const __m128i (&in)[8], __m128i (&out)[8]) {
  const __m128i a0 = _mm_unpacklo_epi16(in[0], in[1]), a1 = _mm_unpackhi_epi16(in[0], in[1]);
  const __m128i a2 = _mm_unpacklo_epi16(in[2], in[3]), a3 = _mm_unpackhi_epi16(in[2], in[3]);
  const __m128i a4 = _mm_unpacklo_epi16(in[4], in[5]), a5 = _mm_unpackhi_epi16(in[4], in[5]);
  const __m128i a6 = _mm_unpacklo_epi16(in[6], in[7]), a7 = _mm_unpackhi_epi16(in[6], in[7]);
  const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
  const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
  const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
  const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
  out[0] = _mm_unpacklo_epi64(b0, b4);
  out[1] = _mm_unpackhi_epi64(b0, b4);
  out[2] = _mm_unpacklo_epi64(b1, b5);
  out[3] = _mm_unpackhi_epi64(b1, b5);
  out[4] = _mm_unpacklo_epi64(b2, b6);
  out[5] = _mm_unpackhi_epi64(b2, b6);
  out[6] = _mm_unpacklo_epi64(b3, b7);
  out[7] = _mm_unpackhi_epi64(b3, b7);
}

// Rounds |c| / d to nearest through the table's reciprocal and keeps the sign.
__m128i Quantise(__m128i c, const ForwardQuantTable& table, int i) {
  const __m128i sign = _mm_srai_epi16(c, 15);
  const __m128i magnitude = _mm_sub_epi16(_mm_xor_si128(c, sign), sign);
  const auto* half = reinterpret_cast<const __m128i*>(table.half + i);
  const auto* reciprocal = reinterpret_cast<const __m128i*>(table.reciprocal + i);
  const auto* scale = reinterpret_cast<const __m128i*>(table.scale + i);
  const __m128i n = _mm_add_epi16(magnitude, _mm_load_si128(half));
  const __m128i quotient = _mm_mulhi_epu16(_mm_mulhi_epu16(n, _mm_load_si128(reciprocal)), _mm_load_si128(scale));
  return _mm_sub_epi16(_mm_xor_si128(quotient, sign), sign);
}

void ForwardDctBlock(const uint8_t* samples, ptrdiff_t stride, const ForwardQuantTable& table,
                     CoefficientBlock& block) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i levelShift = _mm_set1_epi16(128);
  __m128i rows[8];
  __m128i sums = zero;  // of the samples, in the low 64-bit half
  for (int r = 0; r < 8; ++r) {
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(samples + r * stride));
    sums = _mm_add_epi64(sums, _mm_sad_epu8(bytes, zero));
    rows[r] = _mm_sub_epi16(_mm_unpacklo_epi8(bytes, zero), levelShift);
  }
  __m128i frequencies[8];
  Transform8<kColumnShift>(rows, frequencies);
  Transpose(frequencies, rows);
  Transform8<kRowShift>(rows, frequencies);
  Transpose(frequencies, rows);
  rows[0] = _mm_insert_epi16(rows[0], ExactDc(_mm_cvtsi128_si32(sums)), 0);
  for (int v = 0; v < 8; ++v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(block.values + 8 * v), Quantise(rows[v], table, 8 * v));
  }
}

}  // namespace

void ForwardDctSse2(const uint8_t* samples, ptrdiff_t stride, int32_t count, const ForwardQuantTable& table,
                    CoefficientBlock* blocks) {
  for (int32_t i = 0; i < count; ++i) ForwardDctBlock(samples + 8 * i, stride, table, blocks[i]);
}

}  // namespace halvora::jpeg
