// The full-size inverse DCTs on 128-bit registers. The arithmetic is the
// plain kernels' own, step for step, on four 32-bit lanes at a time: every
// sum, difference and product is taken modulo 2^32 (as the plain kernels'
// wrapping intermediates are) and every shift is the same arithmetic shift at
// the same place, so the results agree on every block, also on corrupt ones
// whose intermediates wrap. No saturating step is used in the arithmetic;
// saturation appears only in the final clamp, where it is exact.
//
// Most products are pairs of 16 x 16-bit products summed into 32 bits, which
// the multiply-add instruction gives exactly modulo 2^32 (its one overflow,
// two products of -32768 x -32768, wraps as the plain sum does). A factor
// above 32767 is taken as (factor - 65536) plus 65536 times the operand.
#include <emmintrin.h>

#include <cstdint>

#include "jpeg/kernels/idct_constants.h"
#include "jpeg/kernels/kernels_sse2.h"

namespace halvora::jpeg {

namespace {

using namespace idct_constants;

// Four 32-bit lanes with the wrapping arithmetic of the plain kernels.
struct Lanes {
  __m128i v;
};

Lanes operator+(Lanes a, Lanes b) { return {_mm_add_epi32(a.v, b.v)}; }
Lanes operator-(Lanes a, Lanes b) { return {_mm_sub_epi32(a.v, b.v)}; }
Lanes operator+(Lanes a, int32_t b) { return {_mm_add_epi32(a.v, _mm_set1_epi32(b))}; }
Lanes operator>>(Lanes a, int count) { return {_mm_srai_epi32(a.v, count)}; }

// The low 32 bits of each lane's product with a constant. The low 32 bits of
// a product are the same for signed and unsigned factors, so the unsigned
// 32 x 32 -> 64-bit multiply of the even and of the odd lanes gives them.
Lanes operator*(Lanes a, int32_t constant) {
  const __m128i factor = _mm_set1_epi32(constant);
  const __m128i even = _mm_mul_epu32(a.v, factor);
  const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a.v, 32), factor);
  return {_mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                             _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)))};
}

// Eight samples from two halves of 32-bit values: the signed pack saturates
// to 16 bits, which cannot change the result of the clamp to 0..255 that
// follows.
__m128i ClampedSamples(Lanes left, Lanes right) {
  const __m128i packed = _mm_packs_epi32(left.v, right.v);
  return _mm_max_epi16(_mm_min_epi16(packed, _mm_set1_epi16(255)), _mm_setzero_si128());
}

// The low 16 bits of each lane, sign-extended: what a 16-bit store into the
// block and a load back would give.
Lanes LowHalfWord(Lanes a) { return {_mm_srai_epi32(_mm_slli_epi32(a.v, 16), 16)}; }

// x x 65536, wrapping.
Lanes ShiftedUp16(Lanes a) { return {_mm_slli_epi32(a.v, 16)}; }

// The factors (a, b) of a multiply-add of the pairs (x, y): a x + b y.
__m128i Factors(int32_t a, int32_t b) {
  return _mm_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(b) << 16) | (static_cast<uint32_t>(a) & 0xFFFF)));
}

// Lines 0..3 (the low halves of the 16-bit vectors) or 4..7.
__m128i InterleaveWords(__m128i a, __m128i b, int half) {
  return half == 0 ? _mm_unpacklo_epi16(a, b) : _mm_unpackhi_epi16(a, b);
}

// An operand held as its 16-bit values.
struct WordOperand {
  __m128i words;
};
struct WordPair {
  __m128i pairs;
};
WordPair MakePair(WordOperand a, WordOperand b, int half) { return {InterleaveWords(a.words, b.words, half)}; }
Lanes Dot(WordPair p, __m128i factors) { return {_mm_madd_epi16(p.pairs, factors)}; }
// x x 65536: the value in the upper half of a 32-bit lane.
Lanes Times65536(WordOperand a, int half) { return {InterleaveWords(_mm_setzero_si128(), a.words, half)}; }

// An operand held as low + 32768 x high, both parts in 16-bit lanes.
struct SplitOperand {
  __m128i low;
  __m128i high;
};
struct SplitPair {
  __m128i low;
  __m128i high;
};
SplitPair MakePair(SplitOperand a, SplitOperand b, int half) {
  return {InterleaveWords(a.low, b.low, half), InterleaveWords(a.high, b.high, half)};
}
Lanes Dot(SplitPair p, __m128i factors) {
  return {_mm_add_epi32(_mm_madd_epi16(p.low, factors), _mm_slli_epi32(_mm_madd_epi16(p.high, factors), 15))};
}
Lanes Times65536(SplitOperand a, int half) {
  return {_mm_add_epi32(InterleaveWords(_mm_setzero_si128(), a.low, half),
                        _mm_slli_epi32(InterleaveWords(_mm_setzero_si128(), a.high, half), 15))};
}

// 8 x 8 16-bit values: vector i becomes what was lane i of every vector.
void TransposeWords(__m128i (&r)[8]) {
  const __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]);
  const __m128i a1 = _mm_unpackhi_epi16(r[0], r[1]);
  const __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]);
  const __m128i a3 = _mm_unpackhi_epi16(r[2], r[3]);
  const __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]);
  const __m128i a5 = _mm_unpackhi_epi16(r[4], r[5]);
  const __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]);
  const __m128i a7 = _mm_unpackhi_epi16(r[6], r[7]);
  const __m128i b0 = _mm_unpacklo_epi32(a0, a2);
  const __m128i b1 = _mm_unpackhi_epi32(a0, a2);
  const __m128i b2 = _mm_unpacklo_epi32(a1, a3);
  const __m128i b3 = _mm_unpackhi_epi32(a1, a3);
  const __m128i b4 = _mm_unpacklo_epi32(a4, a6);
  const __m128i b5 = _mm_unpackhi_epi32(a4, a6);
  const __m128i b6 = _mm_unpacklo_epi32(a5, a7);
  const __m128i b7 = _mm_unpackhi_epi32(a5, a7);
  r[0] = _mm_unpacklo_epi64(b0, b4);
  r[1] = _mm_unpackhi_epi64(b0, b4);
  r[2] = _mm_unpacklo_epi64(b1, b5);
  r[3] = _mm_unpackhi_epi64(b1, b5);
  r[4] = _mm_unpacklo_epi64(b2, b6);
  r[5] = _mm_unpackhi_epi64(b2, b6);
  r[6] = _mm_unpacklo_epi64(b3, b7);
  r[7] = _mm_unpackhi_epi64(b3, b7);
}

// ---- Method 1: integer transform, 15-bit rotation constants -------------
//
// The row pass reads the coefficients as 16-bit operands. The column pass
// reads workspace values of up to 20 bits (a 32-bit sum shifted right by 12),
// each held as low + 32768 x high with low = w & 32767 and high = w >> 15
// (-16 .. 15), so that w x c = low x c + (high x c) x 32768 modulo 2^32.


// One-dimensional transform of lines 0..3 or 4..7 (by `half`); x[k] holds
// input k of every line.
template <class Operand>
void IntegerStep8(const Operand (&x)[8], int half, Lanes (&y)[8]) {
  const auto x17 = MakePair(x[1], x[7], half);
  const auto x35 = MakePair(x[3], x[5], half);
  const auto x26 = MakePair(x[2], x[6], half);
  const auto x04 = MakePair(x[0], x[4], half);
  const Lanes p = Dot(x17, Factors(kC1, kS1));
  const Lanes q = Dot(x17, Factors(kS1, -kC1));
  const Lanes r = Dot(x35, Factors(kC3, kS3));
  const Lanes s = Dot(x35, Factors(-kS3, kC3));
  const Lanes t0 = ((p + r + 2048) >> 12) * kR2;
  const Lanes t3 = ((q + s + 2048) >> 12) * kR2;
  const Lanes t1 = (p - r) + (q - s);
  const Lanes t2 = (p - r) - (q - s);
  // (x0 +- x4) x 32768 as twice (x0 +- x4) x 16384.
  const Lanes e0 = {_mm_slli_epi32(Dot(x04, Factors(16384, 16384)).v, 1)};
  const Lanes e1 = {_mm_slli_epi32(Dot(x04, Factors(16384, -16384)).v, 1)};
  const Lanes f0 = Dot(x26, Factors(kW2 - 65536, kW6)) + Times65536(x[2], half);
  const Lanes f1 = Dot(x26, Factors(kW6, 65536 - kW2)) - Times65536(x[6], half);
  y[0] = e0 + f0 + t0;
  y[7] = e0 + f0 - t0;
  y[1] = e1 + f1 + t1;
  y[6] = e1 + f1 - t1;
  y[2] = e1 - f1 + t2;
  y[5] = e1 - f1 - t2;
  y[3] = e0 - f0 + t3;
  y[4] = e0 - f0 - t3;
}

// ---- Method 0: AAN transform ---------------------------------------------


Lanes Descale15(Lanes product) { return (product + 16384) >> 15; }

// One-dimensional transform of lines 0..3 or 4..7 (by `half`) of 16-bit
// inputs; x[k] holds input k of every line. Every sum of two inputs and every
// product is a multiply-add of input pairs.
void AanStep8(const WordOperand (&x)[8], int half, Lanes (&y)[8]) {
  const WordPair x53 = MakePair(x[5], x[3], half);
  const WordPair x17 = MakePair(x[1], x[7], half);
  const WordPair x04 = MakePair(x[0], x[4], half);
  const WordPair x26 = MakePair(x[2], x[6], half);
  const Lanes z13 = Dot(x53, Factors(1, 1));
  const Lanes z10 = Dot(x53, Factors(1, -1));
  const Lanes z11 = Dot(x17, Factors(1, 1));
  const Lanes z12 = Dot(x17, Factors(1, -1));
  // (z10 - z12) K1 = (x5 - x3) K1 - (x1 - x7) K1.
  const Lanes e = Descale15(Dot(x53, Factors(kK1, -kK1)) + Dot(x17, Factors(-kK1, kK1)));
  const Lanes t7 = z11 + z13;
  const Lanes t11 = Descale15(Dot(x17, Factors(kK2 - 65536, kK2 - 65536)) -
                              Dot(x53, Factors(kK2 - 65536, kK2 - 65536)) + ShiftedUp16(z11 - z13));
  const Lanes t10 = e - Descale15(Dot(x53, Factors(kK3 - 65536, 65536 - kK3)) + ShiftedUp16(z10));
  const Lanes t6 = Descale15(Dot(x17, Factors(kK4 - 65536, 65536 - kK4)) + ShiftedUp16(z12)) - e - t7;
  const Lanes t5 = t11 - t6;
  const Lanes t4 = t10 + t5;
  const Lanes a = Dot(x04, Factors(1, 1));
  const Lanes b = Dot(x04, Factors(1, -1));
  const Lanes t13 = Dot(x26, Factors(1, 1));
  const Lanes d26 = Dot(x26, Factors(1, -1));
  const Lanes t12 = Descale15(Dot(x26, Factors(kK2 - 65536, 65536 - kK2)) + ShiftedUp16(d26)) - t13;
  y[0] = a + t13 + t7;
  y[7] = a + t13 - t7;
  y[1] = b + t12 + t6;
  y[6] = b + t12 - t6;
  y[2] = b - t12 + t5;
  y[5] = b - t12 - t5;
  y[4] = a - t13 + t4;
  y[3] = a - t13 - t4;
}

}  // namespace

void InverseDct8x8Method1Sse2(CoefficientBlock& block) {
  // Row pass: with the block transposed, each lane carries one row; output
  // vector j holds workspace column j, split into its two 16-bit parts (the
  // signed packs below cannot saturate: 0 .. 32767 and -16 .. 15).
  WordOperand coefficients[8];
  __m128i rows[8];
  for (int row = 0; row < 8; ++row)
    rows[row] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block.values + 8 * row));
  TransposeWords(rows);
  for (int k = 0; k < 8; ++k) coefficients[k] = {rows[k]};
  __m128i low[8];
  __m128i high[8];
  Lanes workspace[2][8];
  for (int half = 0; half < 2; ++half) {
    Lanes y[8];
    IntegerStep8(coefficients, half, y);
    for (int j = 0; j < 8; ++j) workspace[half][j] = (y[j] + 2048) >> 12;
  }
  for (int j = 0; j < 8; ++j) {
    low[j] = _mm_packs_epi32(_mm_and_si128(workspace[0][j].v, _mm_set1_epi32(0x7FFF)),
                             _mm_and_si128(workspace[1][j].v, _mm_set1_epi32(0x7FFF)));
    high[j] = _mm_packs_epi32(_mm_srai_epi32(workspace[0][j].v, 15), _mm_srai_epi32(workspace[1][j].v, 15));
  }
  // Column pass: transposed back, each lane carries one column, and output
  // vector j is sample row j.
  TransposeWords(low);
  TransposeWords(high);
  SplitOperand columns[8];
  for (int k = 0; k < 8; ++k) columns[k] = {low[k], high[k]};
  Lanes samples[2][8];
  for (int half = 0; half < 2; ++half) {
    Lanes y[8];
    IntegerStep8(columns, half, y);
    for (int j = 0; j < 8; ++j) samples[half][j] = ((y[j] + 1048576) >> 21) + 128;
  }
  for (int row = 0; row < 8; ++row) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(block.values + 8 * row),
                     ClampedSamples(samples[0][row], samples[1][row]));
  }
}

void InverseDct8x8Method0Sse2(CoefficientBlock& block) {
  // Column pass on the rows as loaded (each lane one column). Its results are
  // cut to 16 bits, as the plain kernel stores them into the block; shifted
  // up and back down first, so that the signed pack keeps exactly those bits.
  WordOperand rows[8];
  for (int row = 0; row < 8; ++row) {
    rows[row] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(block.values + 8 * row))};
  }
  Lanes between[2][8];
  for (int half = 0; half < 2; ++half) AanStep8(rows, half, between[half]);
  __m128i lines[8];
  for (int j = 0; j < 8; ++j) lines[j] = _mm_packs_epi32(LowHalfWord(between[0][j]).v, LowHalfWord(between[1][j]).v);
  // Row pass on the transposed block (each lane one row): output vector j is
  // sample column j, so the samples are transposed back into rows.
  TransposeWords(lines);
  WordOperand columns[8];
  for (int k = 0; k < 8; ++k) columns[k] = {lines[k]};
  Lanes samples[2][8];
  for (int half = 0; half < 2; ++half) {
    Lanes y[8];
    AanStep8(columns, half, y);
    for (int j = 0; j < 8; ++j) samples[half][j] = ((y[j] + 8) >> 4) + 128;
  }
  for (int j = 0; j < 8; ++j) lines[j] = ClampedSamples(samples[0][j], samples[1][j]);
  TransposeWords(lines);
  for (int row = 0; row < 8; ++row) _mm_storeu_si128(reinterpret_cast<__m128i*>(block.values + 8 * row), lines[row]);
}

}  // namespace halvora::jpeg
