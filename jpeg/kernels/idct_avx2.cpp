// The inverse DCTs on 256-bit registers: eight 32-bit lanes, so a
// one-dimensional pass over all eight lines of a block runs at once. The
// arithmetic is the plain kernels' own: every sum, difference and product is
// taken modulo 2^32 (as the plain kernels' wrapping intermediates are) and
// every shift is the same arithmetic shift at the same place, so the results
// agree on every block, also on corrupt ones whose intermediates wrap.
// Saturation appears only in the final clamp, where it is exact.
#include <immintrin.h>

#include <cstdint>
#include <initializer_list>

#include "jpeg/kernels/idct_constants.h"
#include "jpeg/kernels/kernels_avx2.h"
#include "jpeg/kernels/lane_constants_avx2.h"

namespace halvora::jpeg {

namespace {

using namespace idct_constants;
using avx2::Splat16;
using avx2::Splat32;

// Eight 32-bit lanes with the wrapping arithmetic of the plain kernels; lane
// i belongs to line i of the pass. The steps below are inlined into each
// transform and their loops unrolled, so that a block's values stay in
// registers throughout instead of going through arrays in memory.
struct Lanes {
  __m256i v;
};

// A constant of every lane (kAll<value>), broadcast from memory where an
// operation takes it (lane_constants_avx2.h).
template <int32_t kValue>
struct AllLanes {};
template <int32_t kValue>
inline constexpr AllLanes<kValue> kAll{};

Lanes operator+(Lanes a, Lanes b) { return {_mm256_add_epi32(a.v, b.v)}; }
Lanes operator-(Lanes a, Lanes b) { return {_mm256_sub_epi32(a.v, b.v)}; }
template <int32_t kValue>
Lanes operator+(Lanes a, AllLanes<kValue>) {
  return {_mm256_add_epi32(a.v, Splat32<kValue>())};
}
Lanes operator>>(Lanes a, int count) { return {_mm256_srai_epi32(a.v, count)}; }
Lanes operator<<(Lanes a, int count) { return {_mm256_slli_epi32(a.v, count)}; }
// The low 32 bits of each product, the same for signed and unsigned factors.
template <int32_t kValue>
Lanes operator*(Lanes a, AllLanes<kValue>) {
  return {_mm256_mullo_epi32(a.v, Splat32<kValue>())};
}

// Eight lines by eight values: vector k becomes what was lane k of every vector.
[[gnu::always_inline]] inline void Transpose(Lanes (&r)[8]) {
  __m256i a[8];
#pragma GCC unroll 8
  for (int i = 0; i < 8; i += 2) {
    a[i] = _mm256_unpacklo_epi32(r[i].v, r[i + 1].v);
    a[i + 1] = _mm256_unpackhi_epi32(r[i].v, r[i + 1].v);
  }
  __m256i b[8];
#pragma GCC unroll 8
  for (int i = 0; i < 8; i += 4) {
    b[i] = _mm256_unpacklo_epi64(a[i], a[i + 2]);
    b[i + 1] = _mm256_unpackhi_epi64(a[i], a[i + 2]);
    b[i + 2] = _mm256_unpacklo_epi64(a[i + 1], a[i + 3]);
    b[i + 3] = _mm256_unpackhi_epi64(a[i + 1], a[i + 3]);
  }
#pragma GCC unroll 8
  for (int i = 0; i < 4; ++i) {
    r[i].v = _mm256_permute2x128_si256(b[i], b[i + 4], 0x20);
    r[i + 4].v = _mm256_permute2x128_si256(b[i], b[i + 4], 0x31);
  }
}

// Lanes holding descaled sample rows (lane j: column j) into the block:
// level shift, then the clamp. The signed pack and the level shift saturate
// at the 16-bit limits, which cannot change the result of the clamp to 0..255
// that follows; the pack interleaves the two rows by 128-bit halves, which
// the permutation puts back in order.
[[gnu::always_inline]] inline void StoreSampleRows(const Lanes (&rows)[8], CoefficientBlock& block) {
#pragma GCC unroll 8
  for (int row = 0; row < 8; row += 2) {
    const __m256i packed = _mm256_packs_epi32(rows[row].v, rows[row + 1].v);
    const __m256i ordered = _mm256_permute4x64_epi64(packed, _MM_SHUFFLE(3, 1, 2, 0));
    const __m256i shifted = _mm256_adds_epi16(ordered, Splat16<128>());
    const __m256i clamped = _mm256_max_epi16(_mm256_min_epi16(shifted, Splat16<255>()), _mm256_setzero_si256());
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(block.values + 8 * row), clamped);
  }
}

// ---- Method 1: integer transform, 15-bit rotation constants -------------
//
// The row pass reads the coefficients as 16-bit pairs of one row, which the
// multiply-add instruction turns into sums of two products exactly modulo
// 2^32 (its one overflow, two products of -32768 x -32768, wraps as the
// plain sum does). A factor above 32767 is taken as (factor - 65536) plus
// 65536 times the operand. The column pass reads workspace values of up to
// 20 bits and multiplies them as they are, 32 x 32 bits.

// Inputs (a, b) of every row as one 32-bit lane a row: a in the low half.
struct RowPair {
  __m256i pairs;
};

// The four input pairs of the row pass: (1, 7), (3, 5), (2, 6), (0, 4).
struct RowPairs {
  RowPair x17, x35, x26, x04;
};

// Rows i and i + 4 share a register, one a 128-bit half; interleaving words,
// then 32-bit pieces, gathers the columns of rows 0..3 (4..7 in the upper
// half) in 64-bit pieces, whose words the last step interleaves by pair.
RowPairs LoadRowPairs(const CoefficientBlock& block) {
  __m256i r[4];
#pragma GCC unroll 8
  for (int i = 0; i < 4; ++i) {
    r[i] = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(block.values + 8 * (i + 4)),
                               reinterpret_cast<const __m128i*>(block.values + 8 * i));
  }
  const __m256i t0 = _mm256_unpacklo_epi16(r[0], r[1]);
  const __m256i t1 = _mm256_unpackhi_epi16(r[0], r[1]);
  const __m256i t2 = _mm256_unpacklo_epi16(r[2], r[3]);
  const __m256i t3 = _mm256_unpackhi_epi16(r[2], r[3]);
  const __m256i columns01 = _mm256_unpacklo_epi32(t0, t2);
  const __m256i columns23 = _mm256_unpackhi_epi32(t0, t2);
  const __m256i columns45 = _mm256_unpacklo_epi32(t1, t3);
  const __m256i columns67 = _mm256_unpackhi_epi32(t1, t3);
  return {{_mm256_unpackhi_epi16(columns01, columns67)},
          {_mm256_unpackhi_epi16(columns23, columns45)},
          {_mm256_unpacklo_epi16(columns23, columns67)},
          {_mm256_unpacklo_epi16(columns01, columns45)}};
}

// The factors (a, b) of a multiply-add of the pairs (x, y): a x + b y.
template <int32_t kA, int32_t kB>
Lanes Dot(RowPair p) {
  constexpr auto kFactors =
      static_cast<int32_t>((static_cast<uint32_t>(kB) << 16) | (static_cast<uint32_t>(kA) & 0xFFFF));
  return {_mm256_madd_epi16(p.pairs, Splat32<kFactors>())};
}
// x x 65536 for the first and the second input of a pair.
Lanes FirstTimes65536(RowPair p) { return {_mm256_slli_epi32(p.pairs, 16)}; }
Lanes SecondTimes65536(RowPair p) { return {_mm256_and_si256(p.pairs, Splat32<-65536>())}; }

// The even and odd parts of the transform, as the plain step forms them.
struct EvenOdd {
  Lanes e0, e1, f0, f1;  // even part
  Lanes p, q, r, s;      // odd part
};

// The common tail of both passes, with the rounding term of the shift that
// descales its outputs (added to each output by the plain kernel) added to
// the even part once: modulo 2^32 the sums are the same in any order.
template <int32_t kRounding>
[[gnu::always_inline]] inline void CombineStep8(const EvenOdd& t, Lanes (&y)[8]) {
  const Lanes t0 = ((t.p + t.r + kAll<2048>) >> 12) * kAll<kR2>;
  const Lanes t3 = ((t.q + t.s + kAll<2048>) >> 12) * kAll<kR2>;
  const Lanes t1 = (t.p - t.r) + (t.q - t.s);
  const Lanes t2 = (t.p - t.r) - (t.q - t.s);
  const Lanes e0 = t.e0 + kAll<kRounding>;
  const Lanes e1 = t.e1 + kAll<kRounding>;
  y[0] = e0 + t.f0 + t0;
  y[7] = e0 + t.f0 - t0;
  y[1] = e1 + t.f1 + t1;
  y[6] = e1 + t.f1 - t1;
  y[2] = e1 - t.f1 + t2;
  y[5] = e1 - t.f1 - t2;
  y[3] = e0 - t.f0 + t3;
  y[4] = e0 - t.f0 - t3;
}

[[gnu::always_inline]] inline void IntegerRowStep8(const RowPairs& x, Lanes (&y)[8]) {
  EvenOdd t;
  t.p = Dot<kC1, kS1>(x.x17);
  t.q = Dot<kS1, -kC1>(x.x17);
  t.r = Dot<kC3, kS3>(x.x35);
  t.s = Dot<-kS3, kC3>(x.x35);
  t.e0 = Dot<1, 1>(x.x04) << 15;
  t.e1 = Dot<1, -1>(x.x04) << 15;
  t.f0 = Dot<kW2 - 65536, kW6>(x.x26) + FirstTimes65536(x.x26);
  t.f1 = Dot<kW6, 65536 - kW2>(x.x26) - SecondTimes65536(x.x26);
  CombineStep8<2048>(t, y);
}

// With `kUpperRowsOnly` the workspace rows 4 to 7 are known to be zero (as
// the coefficient rows they come from were), and the products of theirs,
// zero modulo 2^32 as well, are left out: half the multiplications.
template <bool kUpperRowsOnly>
[[gnu::always_inline]] inline void IntegerColumnStep8(const Lanes (&x)[8], Lanes (&y)[8]) {
  EvenOdd t;
  if constexpr (kUpperRowsOnly) {
    t.p = x[1] * kAll<kC1>;
    t.q = x[1] * kAll<kS1>;
    t.r = x[3] * kAll<kC3>;
    t.s = x[3] * kAll<-kS3>;
    t.e0 = x[0] << 15;
    t.e1 = t.e0;
    t.f0 = x[2] * kAll<kW2>;
    t.f1 = x[2] * kAll<kW6>;
  } else {
    t.p = x[1] * kAll<kC1> + x[7] * kAll<kS1>;
    t.q = x[1] * kAll<kS1> - x[7] * kAll<kC1>;
    t.r = x[3] * kAll<kC3> + x[5] * kAll<kS3>;
    t.s = x[5] * kAll<kC3> - x[3] * kAll<kS3>;
    t.e0 = (x[0] + x[4]) << 15;
    t.e1 = (x[0] - x[4]) << 15;
    t.f0 = x[2] * kAll<kW2> + x[6] * kAll<kW6>;
    t.f1 = x[2] * kAll<kW6> - x[6] * kAll<kW2>;
  }
  CombineStep8<1048576>(t, y);
}

// The half-size step of both passes: four outputs from the inputs other
// than x[4], which a half-size transform never reads.
[[gnu::always_inline]] inline void IntegerStep4(const Lanes (&x)[8], Lanes (&y)[4]) {
  const Lanes e = x[0] << 14;
  const Lanes g = x[2] * kAll<15137> - x[6] * kAll<6270>;
  const Lanes t10 = e + g;
  const Lanes t12 = e - g;
  const Lanes a = x[1] * kAll<8697> - x[3] * kAll<17799> + x[5] * kAll<11893> - x[7] * kAll<1730>;
  const Lanes b = x[1] * kAll<20995> + x[3] * kAll<7373> - x[5] * kAll<4926> - x[7] * kAll<4176>;
  y[0] = t10 + b;
  y[3] = t10 - b;
  y[1] = t12 + a;
  y[2] = t12 - a;
}

// The column pass of the half-size transform, IntegerStep4 on the
// coefficient rows, with the products of each pair of rows it combines
// taken by one multiply-add: every factor fits 16 bits, and the sum of two
// products is exact modulo 2^32.
__m128i CoefficientRow(const CoefficientBlock& block, int k) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(block.values + 8 * k));
}

// Lane i: coefficients (row a, row b) of column i.
RowPair CoefficientRows(const CoefficientBlock& block, int a, int b) {
  const __m128i first = CoefficientRow(block, a), second = CoefficientRow(block, b);
  return {_mm256_set_m128i(_mm_unpackhi_epi16(first, second), _mm_unpacklo_epi16(first, second))};
}

[[gnu::always_inline]] inline void HalfSizeColumnStep(const CoefficientBlock& block, Lanes (&y)[4]) {
  const RowPair x13 = CoefficientRows(block, 1, 3), x57 = CoefficientRows(block, 5, 7),
                x26 = CoefficientRows(block, 2, 6);
  const Lanes e = Lanes{_mm256_cvtepi16_epi32(CoefficientRow(block, 0))} << 14;
  const Lanes g = Dot<15137, -6270>(x26);
  const Lanes t10 = e + g;
  const Lanes t12 = e - g;
  const Lanes a = Dot<8697, -17799>(x13) + Dot<11893, -1730>(x57);
  const Lanes b = Dot<20995, 7373>(x13) + Dot<-4926, -4176>(x57);
  y[0] = t10 + b;
  y[3] = t10 - b;
  y[1] = t12 + a;
  y[2] = t12 - a;
}

// Four lines of eight values into eight vectors, vector k holding value k of
// line i in lane i (lanes 4 to 7 hold other values, never read).
[[gnu::always_inline]] inline void TransposeFourRows(const Lanes (&w)[4], Lanes (&x)[8]) {
  const __m256i t0 = _mm256_unpacklo_epi32(w[0].v, w[1].v);
  const __m256i t1 = _mm256_unpackhi_epi32(w[0].v, w[1].v);
  const __m256i t2 = _mm256_unpacklo_epi32(w[2].v, w[3].v);
  const __m256i t3 = _mm256_unpackhi_epi32(w[2].v, w[3].v);
  // Values k (lower half) and k + 4 (upper half) of the four lines.
  const __m256i pairs[4] = {_mm256_unpacklo_epi64(t0, t2), _mm256_unpackhi_epi64(t0, t2), _mm256_unpacklo_epi64(t1, t3),
                            _mm256_unpackhi_epi64(t1, t3)};
#pragma GCC unroll 4
  for (int k = 0; k < 4; ++k) {
    x[k].v = pairs[k];
    x[k + 4].v = _mm256_permute2x128_si256(pairs[k], pairs[k], 0x01);
  }
}

// Four sample columns (vector j: column j, lane i: row i, lanes 0 to 3)
// into the block's first four rows, level-shifted and clamped as the full
// size does: packed to words, the 4 x 4 words are transposed by interleaving.
[[gnu::always_inline]] inline void StoreFourByFour(const Lanes (&columns)[4], CoefficientBlock& block) {
  auto low = [&columns](int j) { return _mm256_castsi256_si128(columns[j].v); };
  const __m128i columns01 = _mm_packs_epi32(low(0), low(1));
  const __m128i columns23 = _mm_packs_epi32(low(2), low(3));
  const __m128i even = _mm_unpacklo_epi16(columns01, columns23);  // (row, column) (0, 0) (0, 2) (1, 0) (1, 2) ...
  const __m128i odd = _mm_unpackhi_epi16(columns01, columns23);   // (0, 1) (0, 3) (1, 1) (1, 3) ...
  const __m128i rowPairs[2] = {_mm_unpacklo_epi16(even, odd), _mm_unpackhi_epi16(even, odd)};
#pragma GCC unroll 2
  for (int i = 0; i < 2; ++i) {
    const __m128i shifted = _mm_adds_epi16(rowPairs[i], _mm_set1_epi16(128));
    const __m128i clamped = _mm_max_epi16(_mm_min_epi16(shifted, _mm_set1_epi16(255)), _mm_setzero_si128());
    _mm_storel_epi64(reinterpret_cast<__m128i*>(block.values + 8 * (2 * i)), clamped);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(block.values + 8 * (2 * i + 1)), _mm_unpackhi_epi64(clamped, clamped));
  }
}

// ---- Half-size row pass on words ----
// Where every workspace value fits 16 bits, as in the blocks of real
// pictures, the row pass takes each row as eight words and forms its four
// outputs side by side: lane j of a register is output j, each the sum of
// four multiply-adds of the row's word pairs (inputs 2k, 2k + 1) with that
// output's factors. Every factor fits 16 bits and the sum of two products
// stays below 2^31, so the sums are the plain step's, exactly modulo 2^32.

// The factors of the half-size step (IntegerStep4), output j's of inputs 0..7;
// input 4 is never read.
constexpr int16_t kHalfSizeFactors[4][8] = {
    {16384, 20995, 15137, 7373, 0, -4926, -6270, -4176},
    {16384, 8697, -15137, -17799, 0, 11893, 6270, -1730},
    {16384, -8697, -15137, 17799, 0, -11893, 6270, 1730},
    {16384, -20995, 15137, -7373, 0, 4926, -6270, 4176},
};

// Pair k: in 32-bit lane j of each 128-bit half, output j's factors of
// inputs 2k and 2k + 1.
struct alignas(32) PairFactors {
  int16_t words[4][16];
};

constexpr PairFactors MakePairFactors() {
  PairFactors factors{};
  for (int k = 0; k < 4; ++k) {
    for (int lane = 0; lane < 8; ++lane) {
      factors.words[k][2 * lane] = kHalfSizeFactors[lane % 4][2 * k];
      factors.words[k][2 * lane + 1] = kHalfSizeFactors[lane % 4][2 * k + 1];
    }
  }
  return factors;
}

constexpr PairFactors kPairFactors = MakePairFactors();

// Whether every value of the workspace lies within -32768 .. 32767, that is
// whether adding 32768 leaves its upper 16 bits clear.
template <int kRows>
bool FitsWords(const Lanes (&w)[kRows]) {
  __m256i biased = (w[0] + kAll<32768>).v;
#pragma GCC unroll 4
  for (int i = 1; i < kRows; ++i) biased = _mm256_or_si256(biased, (w[i] + kAll<32768>).v);
  return _mm256_testz_si256(biased, Splat32<-65536>()) != 0;
}

// Workspace rows `a` and `b` (lane i: column i) as words: row a in the lower
// 128-bit half, row b in the upper one. The pack interleaves the rows by
// halves, which the permutation puts back in order.
__m256i RowWords(Lanes a, Lanes b) {
  return _mm256_permute4x64_epi64(_mm256_packs_epi32(a.v, b.v), _MM_SHUFFLE(3, 1, 2, 0));
}

// The descaled samples of the two rows in `words`: lane j (j + 4) is sample j
// of the lower (upper) row. A row whose inputs other than 0 and 4 are all
// zero is descaled on its own, as in the plain kernel.
[[gnu::always_inline]] inline __m256i HalfSizeRowSamples(__m256i words) {
  const auto* pairs = reinterpret_cast<const __m256i*>(kPairFactors.words);
  const __m256i sum = _mm256_add_epi32(
      _mm256_add_epi32(_mm256_madd_epi16(_mm256_shuffle_epi32(words, 0x00), _mm256_load_si256(pairs)),
                       _mm256_madd_epi16(_mm256_shuffle_epi32(words, 0x55), _mm256_load_si256(pairs + 1))),
      _mm256_add_epi32(_mm256_madd_epi16(_mm256_shuffle_epi32(words, 0xAA), _mm256_load_si256(pairs + 2)),
                       _mm256_madd_epi16(_mm256_shuffle_epi32(words, 0xFF), _mm256_load_si256(pairs + 3))));
  const __m256i others = _mm256_and_si256(words, _mm256_setr_epi16(0, -1, -1, -1, 0, -1, -1, -1,  //
                                                                   0, -1, -1, -1, 0, -1, -1, -1));
  const __m256i zeroHalves = _mm256_cmpeq_epi64(others, _mm256_setzero_si256());
  const __m256i dcOnly = _mm256_and_si256(zeroHalves, _mm256_shuffle_epi32(zeroHalves, _MM_SHUFFLE(1, 0, 3, 2)));
  const Lanes dc = (Lanes{_mm256_shuffle_epi32(words, 0x00)} << 16) >> 16;
  return _mm256_blendv_epi8(((Lanes{sum} + kAll<262144>) >> 19).v, ((dc + kAll<16>) >> 5).v, dcOnly);
}

// The samples of rows 0 and 1 (`upper`) and 2 and 3 (`lower`) into the
// block, level-shifted and clamped as the full size does. The pack gives
// rows 0 and 2 in the lower 128-bit half, rows 1 and 3 in the upper one.
void StoreHalfSizeRows(__m256i upper, __m256i lower, CoefficientBlock& block) {
  const __m256i shifted = _mm256_adds_epi16(_mm256_packs_epi32(upper, lower), Splat16<128>());
  const __m256i clamped = _mm256_max_epi16(_mm256_min_epi16(shifted, Splat16<255>()), _mm256_setzero_si256());
  const __m128i rows02 = _mm256_castsi256_si128(clamped);
  const __m128i rows13 = _mm256_extracti128_si256(clamped, 1);
  auto row = [&block](int r) { return reinterpret_cast<__m128i*>(block.values + 8 * r); };
  _mm_storel_epi64(row(0), rows02);
  _mm_storel_epi64(row(1), rows13);
  _mm_storel_epi64(row(2), _mm_unpackhi_epi64(rows02, rows02));
  _mm_storel_epi64(row(3), _mm_unpackhi_epi64(rows13, rows13));
}

void HalfSizeRowPassOnWords(const Lanes (&w)[4], CoefficientBlock& block) {
  StoreHalfSizeRows(HalfSizeRowSamples(RowWords(w[0], w[1])), HalfSizeRowSamples(RowWords(w[2], w[3])), block);
}

// The two samples of each row of a quarter-size block, as word pairs.
void StoreQuarterSizeRows(uint32_t row0, uint32_t row1, CoefficientBlock& block) {
  block.values[0] = static_cast<int16_t>(row0 & 0xFFFF);
  block.values[1] = static_cast<int16_t>(row0 >> 16);
  block.values[8] = static_cast<int16_t>(row1 & 0xFFFF);
  block.values[9] = static_cast<int16_t>(row1 >> 16);
}

// The quarter-size row pass on words: the odd inputs' products of a row
// (every factor fits 16 bits) in one multiply-add, summed across its
// 128-bit half so that every lane holds them; lane 0 of the half is then
// sample 0 of its row, lane 1 sample 1. A row whose odd inputs are all zero
// is descaled on its own, as in the plain kernel.
void QuarterSizeRowPassOnWords(const Lanes (&w)[2], CoefficientBlock& block) {
  const __m256i words = RowWords(w[0], w[1]);
  const __m256i products = _mm256_madd_epi16(words, _mm256_setr_epi16(0, 29692, 0, -10426, 0, 6967, 0, -5906,  //
                                                                      0, 29692, 0, -10426, 0, 6967, 0, -5906));
  const __m256i pairSums = _mm256_add_epi32(products, _mm256_shuffle_epi32(products, _MM_SHUFFLE(1, 0, 3, 2)));
  const __m256i a = _mm256_add_epi32(pairSums, _mm256_shuffle_epi32(pairSums, _MM_SHUFFLE(2, 3, 0, 1)));
  const Lanes first = Lanes{_mm256_shuffle_epi32(words, 0x00)} << 16;
  const Lanes e = first >> 1;  // input 0 times 32768
  const Lanes y = e + Lanes{_mm256_sign_epi32(a, _mm256_setr_epi32(1, -1, 1, 1, 1, -1, 1, 1))};
  const __m256i oddInputs = _mm256_and_si256(words, _mm256_setr_epi16(0, -1, 0, -1, 0, -1, 0, -1,  //
                                                                      0, -1, 0, -1, 0, -1, 0, -1));
  const __m256i zeroHalves = _mm256_cmpeq_epi64(oddInputs, _mm256_setzero_si256());
  const __m256i dcOnly = _mm256_and_si256(zeroHalves, _mm256_shuffle_epi32(zeroHalves, _MM_SHUFFLE(1, 0, 3, 2)));
  const __m256i samples = _mm256_blendv_epi8(((y + kAll<524288>) >> 20).v, (((first >> 16) + kAll<16>) >> 5).v, dcOnly);
  // Words 0 and 1 of each half: the row's two samples.
  const __m256i shifted = _mm256_adds_epi16(_mm256_packs_epi32(samples, samples), Splat16<128>());
  const __m256i clamped = _mm256_max_epi16(_mm256_min_epi16(shifted, Splat16<255>()), _mm256_setzero_si256());
  StoreQuarterSizeRows(static_cast<uint32_t>(_mm256_cvtsi256_si32(clamped)),
                       static_cast<uint32_t>(_mm256_extract_epi32(clamped, 4)), block);
}

// The coefficients widened to 32 bits, vector k holding row k (lane i: column i).
[[gnu::always_inline]] inline void LoadCoefficientRows(const CoefficientBlock& block, Lanes (&x)[8]) {
#pragma GCC unroll 8
  for (int row = 0; row < 8; ++row) {
    x[row].v = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block.values + 8 * row)));
  }
}

// The quarter-size step of both passes: two outputs from the even input
// x[0] and the odd ones.
[[gnu::always_inline]] inline void QuarterStep(const Lanes (&x)[8], Lanes (&y)[2]) {
  const Lanes e = x[0] << 15;
  const Lanes a = x[1] * kAll<29692> - x[3] * kAll<10426> + x[5] * kAll<6967> - x[7] * kAll<5906>;
  y[0] = e + a;
  y[1] = e - a;
}

// The column pass of the quarter-size transform, QuarterStep on the
// coefficient rows, the odd rows' products taken two by one multiply-add as
// in the half-size one.
[[gnu::always_inline]] inline void QuarterSizeColumnStep(const CoefficientBlock& block, Lanes (&y)[2]) {
  const Lanes e = Lanes{_mm256_cvtepi16_epi32(CoefficientRow(block, 0))} << 15;
  const Lanes a = Dot<29692, -10426>(CoefficientRows(block, 1, 3)) + Dot<6967, -5906>(CoefficientRows(block, 5, 7));
  y[0] = e + a;
  y[1] = e - a;
}

// All ones in the lanes whose inputs other than x[0] and x[4] are all zero.
Lanes DcOnlyLanes(const Lanes (&x)[8]) {
  const __m256i any = _mm256_or_si256(_mm256_or_si256(_mm256_or_si256(x[1].v, x[2].v), _mm256_or_si256(x[3].v, x[5].v)),
                                      _mm256_or_si256(x[6].v, x[7].v));
  return {_mm256_cmpeq_epi32(any, _mm256_setzero_si256())};
}

// ---- Method 0: AAN transform ---------------------------------------------

Lanes Descale15(Lanes product) { return (product + kAll<16384>) >> 15; }

// `kRounding` is the rounding term of the shift that descales the outputs,
// added once to the even part as in CombineStep8.
template <int32_t kRounding>
[[gnu::always_inline]] inline void AanStep8(const Lanes (&x)[8], Lanes (&y)[8]) {
  const Lanes z13 = x[5] + x[3];
  const Lanes z10 = x[5] - x[3];
  const Lanes z11 = x[1] + x[7];
  const Lanes z12 = x[1] - x[7];
  const Lanes e = Descale15((z10 - z12) * kAll<kK1>);
  const Lanes t7 = z11 + z13;
  const Lanes t11 = Descale15((z11 - z13) * kAll<kK2>);
  const Lanes t10 = e - Descale15(z10 * kAll<kK3>);
  const Lanes t6 = Descale15(z12 * kAll<kK4>) - e - t7;
  const Lanes t5 = t11 - t6;
  const Lanes t4 = t10 + t5;
  const Lanes a = x[0] + x[4] + kAll<kRounding>;
  const Lanes b = x[0] - x[4] + kAll<kRounding>;
  const Lanes t13 = x[2] + x[6];
  const Lanes t12 = Descale15((x[2] - x[6]) * kAll<kK2>) - t13;
  y[0] = a + t13 + t7;
  y[7] = a + t13 - t7;
  y[1] = b + t12 + t6;
  y[6] = b + t12 - t6;
  y[2] = b - t12 + t5;
  y[5] = b - t12 - t5;
  y[4] = a - t13 + t4;
  y[3] = a - t13 - t4;
}

// The low 16 bits of each lane, sign-extended: what a 16-bit store into the
// block and a load back would give.
Lanes LowHalfWord(Lanes a) { return (a << 16) >> 16; }

// Whether every coefficient but the DC term is zero, as in most chroma blocks
// of smooth areas.
bool IsDcOnly(const CoefficientBlock& block) {
  const auto* rows = reinterpret_cast<const __m256i*>(block.values);
  const __m256i rest = _mm256_or_si256(_mm256_or_si256(_mm256_loadu_si256(rows + 1), _mm256_loadu_si256(rows + 2)),
                                       _mm256_loadu_si256(rows + 3));
  const __m256i allButDc = _mm256_setr_epi16(0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m256i first = _mm256_and_si256(_mm256_loadu_si256(rows), allButDc);
  return _mm256_testz_si256(_mm256_or_si256(first, rest), _mm256_or_si256(first, rest)) != 0;
}

// Whether coefficient rows 4 to 7 are all zero, as in most blocks of
// photographs at usual qualities, whose vertical detail is coarse.
bool LowerRowsAreZero(const CoefficientBlock& block) {
  const auto* rows = reinterpret_cast<const __m256i*>(block.values);
  const __m256i lower = _mm256_or_si256(_mm256_loadu_si256(rows + 2), _mm256_loadu_si256(rows + 3));
  return _mm256_testz_si256(lower, lower) != 0;
}

// The samples of a block of DC alone, all equal. The row pass gives
// workspace row 0 the value 8 DC (its rounding term is lost in the shift)
// and the other rows 0; the column pass then forms (8 DC) << 15 plus its
// rounding term modulo 2^32, as the full transform does, and descales it.
void FillDcOnlyMethod1(CoefficientBlock& block) {
  const uint32_t dc = static_cast<uint32_t>(static_cast<int32_t>(block.values[0]));
  const int32_t descaled = static_cast<int32_t>((dc << 18) + 1048576u) >> 21;
  const int32_t shifted = descaled + 128;
  const int16_t sample = static_cast<int16_t>(shifted < 0 ? 0 : shifted > 255 ? 255 : shifted);
  const __m256i samples = _mm256_set1_epi16(sample);
  auto* rows = reinterpret_cast<__m256i*>(block.values);
  for (int i = 0; i < 4; ++i) _mm256_storeu_si256(rows + i, samples);
}

// The sample of a reduced block of DC alone, which takes both passes' DC-only
// ways in the plain kernel: 4 DC into the workspace, then (4 DC + 16) >> 5.
int16_t ReducedDcOnlySample(const CoefficientBlock& block) {
  const int32_t shifted = ((4 * int32_t{block.values[0]} + 16) >> 5) + 128;
  return static_cast<int16_t>(shifted < 0 ? 0 : shifted > 255 ? 255 : shifted);
}

}  // namespace

void InverseDct8x8Method1Avx2(CoefficientBlock& block) {
  if (IsDcOnly(block)) {
    FillDcOnlyMethod1(block);
    return;
  }
  const bool lowerRowsZero = LowerRowsAreZero(block);
  // Row pass: lane i is row i, output j is workspace column j. Each pass's
  // step has added the rounding term of the shift that follows it.
  Lanes columns[8];
  IntegerRowStep8(LoadRowPairs(block), columns);
#pragma GCC unroll 8
  for (Lanes& w : columns) w = w >> 12;
  // Column pass: transposed, lane i is column i, input k is workspace row k
  // and output j is sample row j.
  Transpose(columns);
  Lanes rows[8];
  if (lowerRowsZero) {
    IntegerColumnStep8<true>(columns, rows);
  } else {
    IntegerColumnStep8<false>(columns, rows);
  }
#pragma GCC unroll 8
  for (Lanes& s : rows) s = s >> 21;
  StoreSampleRows(rows, block);
}

void InverseDct4x4Method1Avx2(CoefficientBlock& block) {
  if (IsDcOnly(block)) {
    const __m128i samples = _mm_set1_epi16(ReducedDcOnlySample(block));
    for (int row = 0; row < 4; ++row) _mm_storel_epi64(reinterpret_cast<__m128i*>(block.values + 8 * row), samples);
    return;
  }
  // Column pass: lane i is column i, input k is coefficient row k. Column 4,
  // which the plain kernel skips, is transformed too and never read. A
  // column of DC alone gives 4 x DC either way, so it needs no case of its own.
  Lanes workspace[4];
  HalfSizeColumnStep(block, workspace);
#pragma GCC unroll 4
  for (Lanes& w : workspace) w = (w + kAll<2048>) >> 12;
  if (FitsWords(workspace)) {
    HalfSizeRowPassOnWords(workspace, block);
    return;
  }
  // Otherwise the row pass in 32-bit lanes: lane i is workspace row i (lanes
  // 4 to 7 unused), input k is workspace column k. A row of DC alone is descaled on its own, as in the
  // plain kernel, where the full formula could wrap differently.
  Lanes columns[8];
  TransposeFourRows(workspace, columns);
  Lanes y[4];
  IntegerStep4(columns, y);
  const __m256i dcOnly = DcOnlyLanes(columns).v;
  const __m256i dcSample = ((columns[0] + kAll<16>) >> 5).v;
  Lanes samples[4];
#pragma GCC unroll 4
  for (int j = 0; j < 4; ++j) samples[j].v = _mm256_blendv_epi8(((y[j] + kAll<262144>) >> 19).v, dcSample, dcOnly);
  StoreFourByFour(samples, block);
}

void InverseDct2x2Method1Avx2(CoefficientBlock& block) {
  if (IsDcOnly(block)) {
    const int16_t sample = ReducedDcOnlySample(block);
    for (int index : {0, 1, 8, 9}) block.values[index] = sample;
    return;
  }
  // Column pass: lane i is column i, input k is coefficient row k. Columns 2,
  // 4 and 6, which the plain kernel skips, are transformed too and never
  // read. A column of odd terms all zero gives 4 x DC either way (its product
  // cannot wrap), so it needs no case of its own.
  Lanes y[2];
  QuarterSizeColumnStep(block, y);
  const Lanes workspace[2] = {(y[0] + kAll<4096>) >> 13, (y[1] + kAll<4096>) >> 13};
  if (FitsWords(workspace)) {
    QuarterSizeRowPassOnWords(workspace, block);
    return;
  }
  // Otherwise the row pass in 32-bit lanes: transposed, lane i is workspace
  // row i (lanes 2 to 7 unused), input k is workspace column k. A row whose
  // odd terms are all zero is descaled on its own, as in the plain kernel,
  // where the full formula could wrap differently.
  Lanes rows[8] = {workspace[0], workspace[1]};
  for (int j = 2; j < 8; ++j) rows[j].v = _mm256_setzero_si256();
  Transpose(rows);
  QuarterStep(rows, y);
  const __m256i odd = _mm256_or_si256(_mm256_or_si256(rows[1].v, rows[3].v), _mm256_or_si256(rows[5].v, rows[7].v));
  const __m256i oddZero = _mm256_cmpeq_epi32(odd, _mm256_setzero_si256());
  const __m256i dcSample = ((rows[0] + kAll<16>) >> 5).v;
  // Lane i of column j's vector is sample (i, j); both rows' four samples are
  // level-shifted and clamped together, as the full size does.
  const __m256i column0 = _mm256_blendv_epi8(((y[0] + kAll<524288>) >> 20).v, dcSample, oddZero);
  const __m256i column1 = _mm256_blendv_epi8(((y[1] + kAll<524288>) >> 20).v, dcSample, oddZero);
  const __m128i pairs = _mm_unpacklo_epi32(_mm256_castsi256_si128(column0), _mm256_castsi256_si128(column1));
  const __m128i shifted = _mm_adds_epi16(_mm_packs_epi32(pairs, pairs), _mm_set1_epi16(128));
  const __m128i clamped = _mm_max_epi16(_mm_min_epi16(shifted, _mm_set1_epi16(255)), _mm_setzero_si128());
  // Words 0, 1: row 0; words 2, 3: row 1.
  StoreQuarterSizeRows(static_cast<uint32_t>(_mm_cvtsi128_si32(clamped)),
                       static_cast<uint32_t>(_mm_extract_epi32(clamped, 1)), block);
}

void InverseDct8x8Method0Avx2(CoefficientBlock& block) {
  // Column pass: lane i is column i, input k is coefficient row k. Its
  // results are cut to 16 bits, as the plain kernel stores them into the block.
  Lanes x[8];
  LoadCoefficientRows(block, x);
  Lanes between[8];
  AanStep8<0>(x, between);
#pragma GCC unroll 8
  for (Lanes& b : between) b = LowHalfWord(b);
  // Row pass: transposed, lane i is row i and output j is sample column j,
  // so the samples are transposed back into rows.
  Transpose(between);
  Lanes samples[8];
  AanStep8<8>(between, samples);
#pragma GCC unroll 8
  for (Lanes& s : samples) s = s >> 4;
  Transpose(samples);
  StoreSampleRows(samples, block);
}

}  // namespace halvora::jpeg
