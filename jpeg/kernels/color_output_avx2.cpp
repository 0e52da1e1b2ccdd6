// The fused YCbCr -> colour routines on 256-bit registers, and the same loops
// with the per-component routine's conversion, sixteen pixels at a time in
// 16-bit lanes: two MCU rows of 8 pixels (4:4:4), or one row of 16
// whose chroma offsets are replicated over the two pixels each covers. The
// offsets are worked out for two chroma rows at once, added to the
// luminance, packed to bytes, and the three colour planes are interleaved
// into pixels. The per-component routine's interpolated chroma of 4:2:2 and
// 4:2:0 MCUs is formed here too, row by row from the blocks of the MCU and
// of those around it, straight into 16-bit lanes of pixel order.
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "jpeg/kernels/color_output.h"
#include "jpeg/kernels/kernels_avx2.h"
#include "jpeg/kernels/lane_constants_avx2.h"
#include "jpeg/kernels/mcu_layouts.h"

namespace halvora::jpeg {

namespace {

using avx2::Splat16;
using mcu_layouts::Layout420;
using mcu_layouts::Layout422;
using mcu_layouts::Layout444;

// The plain routines read every sample as its low byte.
__m256i LowBytes(__m256i values) { return _mm256_and_si256(values, Splat16<0x00FF>()); }

// Rows `row` and `row + 1` of a block: 16 samples in one piece.
__m256i LoadRowPair(const CoefficientBlock* blocks, int block, int row) {
  return LowBytes(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(blocks[block].values + 8 * row)));
}

// Row `row` of two blocks side by side: pixels 0..7 from `left`, 8..15 from
// the block after it.
__m256i LoadWideRow(const CoefficientBlock* blocks, int left, int row) {
  return LowBytes(_mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(blocks[left + 1].values + 8 * row),
                                      reinterpret_cast<const __m128i*>(blocks[left].values + 8 * row)));
}

// The fused offsets of 16 chroma pairs, exact in 16-bit lanes. Each term is
// split into a whole multiple of 256 (which passes through the floor of the
// shift unchanged) and a remainder small enough for 16 bits; for samples
// 0..255 every intermediate below stays within -18605 .. 26276.
//   dR = (359 Cr - 45813) >> 8           = Cr - 179 + ((103 Cr + 11) >> 8)
//   n  = (88 Cb + 183 Cr - 34806) >> 8   = Cr - 136 + ((88 Cb - 73 Cr + 10) >> 8)
//   dB = (454 Cb - 57937) >> 8           = 2 Cb - 227 + ((175 - 58 Cb) >> 8)
// and G = Y - n, R = Y + dR, B = Y + dB.
struct ChromaTerms {
  __m256i red;
  __m256i greenSubtracted;
  __m256i blue;
};

template <int16_t kFactor>
__m256i Times(__m256i a) {
  return _mm256_mullo_epi16(a, Splat16<kFactor>());
}
template <int16_t kTerm>
__m256i Plus(__m256i a) {
  return _mm256_add_epi16(a, Splat16<kTerm>());
}

struct FusedTerms {
  static ChromaTerms Of(__m256i cb, __m256i cr) {
    const __m256i redRest = _mm256_srai_epi16(Plus<11>(Times<103>(cr)), 8);
    const __m256i greenRest = _mm256_srai_epi16(Plus<10>(_mm256_sub_epi16(Times<88>(cb), Times<73>(cr))), 8);
    const __m256i blueRest = _mm256_srai_epi16(_mm256_sub_epi16(Splat16<175>(), Times<58>(cb)), 8);
    return {_mm256_add_epi16(Plus<-179>(cr), redRest), _mm256_add_epi16(Plus<-136>(cr), greenRest),
            _mm256_add_epi16(Plus<-227>(_mm256_add_epi16(cb, cb)), blueRest)};
  }
};

// The per-component routine's conversion (the generic form) rounds green the
// other way. Its offsets in 16-bit lanes, as the row conversion forms them:
// numerators within 0..65535, so that the logical shift is the plain one.
//   dR = Cr - 179 + ((103 Cr + 11) >> 8)
//   n  = Cr - ((34806 + 73 Cr - 88 Cb) >> 8)
//   dB = Cb - 227 + ((198 Cb + 175) >> 8)
struct GenericTerms {
  static ChromaTerms Of(__m256i cb, __m256i cr) {
    const __m256i redRest = _mm256_srli_epi16(Plus<11>(Times<103>(cr)), 8);
    const __m256i greenRest =
        _mm256_srli_epi16(_mm256_sub_epi16(Plus<static_cast<int16_t>(34806)>(Times<73>(cr)), Times<88>(cb)), 8);
    const __m256i blueRest = _mm256_srli_epi16(Plus<175>(Times<198>(cb)), 8);
    return {_mm256_add_epi16(Plus<-179>(cr), redRest), _mm256_sub_epi16(cr, greenRest),
            _mm256_add_epi16(Plus<-227>(cb), blueRest)};
  }
};

// Chroma row `half` (0 or 1) of the terms of two rows, each offset repeated
// for the two neighbouring pixels of a subsampled row it covers: its samples
// 0..3 go to the lower 128-bit half, 4..7 to the upper one, then each word is
// doubled in place.
template <int kHalf>
__m256i RepeatedRow(__m256i terms) {
  constexpr int kLow = 2 * kHalf;
  const __m256i spread = _mm256_permute4x64_epi64(terms, _MM_SHUFFLE(kLow + 1, kLow + 1, kLow, kLow));
  return _mm256_unpacklo_epi16(spread, spread);
}

template <int kHalf>
ChromaTerms RepeatedRow(const ChromaTerms& t) {
  return {RepeatedRow<kHalf>(t.red), RepeatedRow<kHalf>(t.greenSubtracted), RepeatedRow<kHalf>(t.blue)};
}

// Luminance plus offset stays within -227 .. 480, so the unsigned saturating
// pack to bytes is exactly the clamp to 0..255. The packs work within each
// 128-bit half: byte planes come out as 8 pixels of the lower half, then 8 of
// the upper one.
struct ColourTerms {
  __m256i red;
  __m256i green;
  __m256i blue;
};

ColourTerms ApplyTerms(__m256i y, const ChromaTerms& t) {
  return {_mm256_add_epi16(y, t.red), _mm256_sub_epi16(y, t.greenSubtracted), _mm256_add_epi16(y, t.blue)};
}

// Sixteen pixels, 8 from each 128-bit half of the lanes: those of the lower
// half go to `lowAt`, those of the upper half to `highAt`.
struct PixelRun {
  uint8_t* lowAt;
  uint8_t* highAt;
};

void Store128(uint8_t* at, __m128i bytes) { _mm_storeu_si128(reinterpret_cast<__m128i*>(at), bytes); }
void Store64(uint8_t* at, __m128i bytes) { _mm_storel_epi64(reinterpret_cast<__m128i*>(at), bytes); }
void Store96(uint8_t* at, __m128i bytes) {
  Store64(at, bytes);
  _mm_storeu_si32(at + 8, _mm_srli_si128(bytes, 8));
}

// Three-byte pixels (first, second, third): the packs give, in each half,
// first 0..7 and second 0..7 in one register and third 0..7 in another; one
// byte shuffle of each places a half's bytes of pixels 0..5 (and a third of
// pixel 5) in its 16 output bytes, another its last 8. With kPixels 4, the
// first four pixels of each half alone.
template <int kPixels = 8>
void StoreThreeBytePixels(const PixelRun& run, __m256i first, __m256i second, __m256i third) {
  const __m256i firstSecond = _mm256_packus_epi16(first, second);
  const __m256i thirds = _mm256_packus_epi16(third, third);
  const __m256i headFirstSecond = _mm256_setr_epi8(0, 8, -1, 1, 9, -1, 2, 10, -1, 3, 11, -1, 4, 12, -1, 5,  //
                                                   0, 8, -1, 1, 9, -1, 2, 10, -1, 3, 11, -1, 4, 12, -1, 5);
  const __m256i headThird = _mm256_setr_epi8(-1, -1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1,  //
                                             -1, -1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1);
  const __m256i tailFirstSecond = _mm256_setr_epi8(13, -1, 6, 14, -1, 7, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1,  //
                                                   13, -1, 6, 14, -1, 7, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m256i tailThird = _mm256_setr_epi8(-1, 5, -1, -1, 6, -1, -1, 7, -1, -1, -1, -1, -1, -1, -1, -1,  //
                                             -1, 5, -1, -1, 6, -1, -1, 7, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m256i head =
      _mm256_or_si256(_mm256_shuffle_epi8(firstSecond, headFirstSecond), _mm256_shuffle_epi8(thirds, headThird));
  if constexpr (kPixels == 4) {
    Store96(run.lowAt, _mm256_castsi256_si128(head));
    Store96(run.highAt, _mm256_extracti128_si256(head, 1));
    return;
  }
  const __m256i tail =
      _mm256_or_si256(_mm256_shuffle_epi8(firstSecond, tailFirstSecond), _mm256_shuffle_epi8(thirds, tailThird));
  Store128(run.lowAt, _mm256_castsi256_si128(head));
  Store64(run.lowAt + 16, _mm256_castsi256_si128(tail));
  Store128(run.highAt, _mm256_extracti128_si256(head, 1));
  Store64(run.highAt + 16, _mm256_extracti128_si256(tail, 1));
}

// Four-byte pixels (first, second, third, 255): bytes interleaved by pairs,
// then pairs by pixels, give pixels 0..3 and 4..7 of each half, which the
// last step joins into each half's 32 bytes. With kPixels 4, the first four
// pixels of each half alone.
template <int kPixels = 8>
void StoreFourBytePixels(const PixelRun& run, __m256i first, __m256i second, __m256i third) {
  const __m256i firstThird = _mm256_packus_epi16(first, third);
  const __m256i secondOpaque = _mm256_packus_epi16(second, Splat16<255>());
  const __m256i firstSecond = _mm256_unpacklo_epi8(firstThird, secondOpaque);
  const __m256i thirdOpaque = _mm256_unpackhi_epi8(firstThird, secondOpaque);
  const __m256i pixels0to3 = _mm256_unpacklo_epi16(firstSecond, thirdOpaque);
  if constexpr (kPixels == 4) {
    Store128(run.lowAt, _mm256_castsi256_si128(pixels0to3));
    Store128(run.highAt, _mm256_extracti128_si256(pixels0to3, 1));
    return;
  }
  const __m256i pixels4to7 = _mm256_unpackhi_epi16(firstSecond, thirdOpaque);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(run.lowAt), _mm256_permute2x128_si256(pixels0to3, pixels4to7, 0x20));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(run.highAt), _mm256_permute2x128_si256(pixels0to3, pixels4to7, 0x31));
}

// Byte orders of the converting routines, which store 8 pixels of each
// 128-bit half (or, with kPixels 4, the first four).
struct RgbOrder {
  static constexpr int kPixelBytes = 3;
  template <int kPixels = 8>
  static void Store(const PixelRun& run, const ColourTerms& c) {
    StoreThreeBytePixels<kPixels>(run, c.red, c.green, c.blue);
  }
};
struct BgrOrder {
  static constexpr int kPixelBytes = 3;
  template <int kPixels = 8>
  static void Store(const PixelRun& run, const ColourTerms& c) {
    StoreThreeBytePixels<kPixels>(run, c.blue, c.green, c.red);
  }
};
struct RgbaOrder {
  static constexpr int kPixelBytes = 4;
  template <int kPixels = 8>
  static void Store(const PixelRun& run, const ColourTerms& c) {
    StoreFourBytePixels<kPixels>(run, c.red, c.green, c.blue);
  }
};

uint8_t* RowAt(const McuTarget& target, int row) { return target.dib + (target.topLeft + row * target.lineBytes); }

// Luminance rows `row` and `row + 1` of a 4:4:4 MCU: one block.
struct WholeBlockLuma {
  static __m256i Rows(const CoefficientBlock* blocks, int row) { return LoadRowPair(blocks, 0, row); }
};

// Row `row` of blocks `left` and `left + 1` read at half size (4x4 samples in
// the top-left corner of each), side by side.
__m128i QuarterBlockRow(const CoefficientBlock* blocks, int left, int row) {
  auto at = [&](int block) { return reinterpret_cast<const __m128i*>(blocks[block].values + 8 * row); };
  return _mm_unpacklo_epi64(_mm_loadl_epi64(at(left)), _mm_loadl_epi64(at(left + 1)));
}

// Rows `row` and `row + 1` of the same, one in each 128-bit half.
__m256i QuarterBlockRowPair(const CoefficientBlock* blocks, int left, int row) {
  return LowBytes(_mm256_set_m128i(QuarterBlockRow(blocks, left, row + 1), QuarterBlockRow(blocks, left, row)));
}

// The same rows of a 4:2:0 MCU read at half size, 8x8 pixels: four blocks of
// 4x4 samples, two side by side a row.
struct QuarterBlocksLuma {
  static __m256i Rows(const CoefficientBlock* blocks, int row) {
    return QuarterBlockRowPair(blocks, (row / 4) * 2, row % 4);
  }
};

// Where the chroma of an 8x8 MCU whose chroma is not subsampled lies: blocks
// 1 and 2 at full size, blocks 4 and 5 at half size (each read one size
// larger, so one sample a pixel).
template <int kCbBlock, class Luma>
struct EightByEight {
  static constexpr int kWidth = 8;
  static constexpr int kHeight = 8;
  static constexpr int kCb = kCbBlock;
  using LumaRows = Luma;
};
using Layout444Mcu = EightByEight<Layout444::kCbBlock, WholeBlockLuma>;
using Layout420HalfMcu = EightByEight<Layout420::kLumaBlocks, QuarterBlocksLuma>;

// An 8x8 MCU of one chroma sample a pixel: two rows of 8 pixels a step.
template <class Terms, class Order, class L = Layout444Mcu>
void ConvertWhole444(const CoefficientBlock* blocks, const McuTarget& target) {
  for (int row = 0; row < 8; row += 2) {
    const ChromaTerms terms = Terms::Of(LoadRowPair(blocks, L::kCb, row), LoadRowPair(blocks, L::kCb + 1, row));
    Order::Store({RowAt(target, row), RowAt(target, row + 1)}, ApplyTerms(L::LumaRows::Rows(blocks, row), terms));
  }
}

// One row of 16 pixels from the luminance blocks of `lumaRow`. The body of
// the inner loop: inlined, so that the chroma terms stay in registers.
template <class L, class Order>
[[gnu::always_inline]] inline void ConvertWideRow(const CoefficientBlock* blocks, const McuTarget& target, int lumaRow,
                                                  const ChromaTerms& terms) {
  constexpr int kWidthBlocks = L::kWidth / 8;
  uint8_t* out = RowAt(target, lumaRow);
  const __m256i y = LoadWideRow(blocks, (lumaRow / 8) * kWidthBlocks, lumaRow % 8);
  Order::Store({out, out + 8 * Order::kPixelBytes}, ApplyTerms(y, terms));
}

// 4:2:2 and 4:2:0: the terms of two chroma rows a step, each chroma row
// applied to the one or two luminance rows it covers.
template <class Terms, class L, class Order>
void ConvertWholeSubsampled(const CoefficientBlock* blocks, const McuTarget& target) {
  constexpr int kRowsPerChroma = L::kChromaRowsPerSample;
  for (int chromaRow = 0; chromaRow < 8; chromaRow += 2) {
    const ChromaTerms terms =
        Terms::Of(LoadRowPair(blocks, L::kCbBlock, chromaRow), LoadRowPair(blocks, L::kCrBlock, chromaRow));
    const ChromaTerms repeated[2] = {RepeatedRow<0>(terms), RepeatedRow<1>(terms)};
    // Unrolled, so that both rows' terms stay in registers.
#pragma GCC unroll 4
    for (int i = 0; i < 2 * kRowsPerChroma; ++i) {
      ConvertWideRow<L, Order>(blocks, target, chromaRow * kRowsPerChroma + i, repeated[i / kRowsPerChroma]);
    }
  }
}

// The packed path takes an MCU that is wholly visible and whose rows are laid
// out apart from one another, each pixel the routine's own size; anything
// else goes to the plain loop, which defines the result.
template <class L, class Order>
bool TakesWholeMcu(const McuTarget& target) {
  const PixelRect& v = target.visible;
  const ptrdiff_t rowBytes = ptrdiff_t{L::kWidth} * Order::kPixelBytes;
  const ptrdiff_t stride = target.lineBytes < 0 ? -target.lineBytes : target.lineBytes;
  return v.left <= 0 && v.top <= 0 && v.right >= L::kWidth && v.bottom >= L::kHeight &&
         target.channels == Order::kPixelBytes && stride >= rowBytes;
}

template <class Terms, class L, class Order>
void ConvertWholeMcu(const CoefficientBlock* blocks, const McuTarget& target) {
  if constexpr (L::kWidth == 8) {
    ConvertWhole444<Terms, Order>(blocks, target);
  } else {
    ConvertWholeSubsampled<Terms, L, Order>(blocks, target);
  }
}

template <class L, class Order, void (*kPlain)(const McuBuffer&, const McuTarget&)>
void OutputMcu(const McuBuffer& mcu, const McuTarget& target) {
  if (TakesWholeMcu<L, Order>(target)) {
    ConvertWholeMcu<FusedTerms, L, Order>(mcu.blocks, target);
  } else {
    kPlain(mcu, target);
  }
}

template <class Order>
bool WriteHalfSizeGenericMcu(const CoefficientBlock* blocks, const McuTarget& target) {
  if (!TakesWholeMcu<Layout420HalfMcu, Order>(target)) return false;
  ConvertWhole444<GenericTerms, Order, Layout420HalfMcu>(blocks, target);
  return true;
}

template <class L, class Order>
bool WriteWholeGenericMcu(const CoefficientBlock* blocks, const McuTarget& target) {
  if (!TakesWholeMcu<L, Order>(target)) return false;
  ConvertWholeMcu<GenericTerms, L, Order>(blocks, target);
  return true;
}

// ---- Interpolated chroma ----
// Cb and Cr are filtered together: a row of each in one register, Cb in the
// lower 128-bit half and Cr in the upper one, as LoadWideRow loads two
// blocks side by side. The filters' sums stay under 2^12, so 16-bit lanes
// hold them exactly and the logical shift is the plain one. The steps of a
// row are inlined, so that its rows of samples stay in registers.

// Eight samples of a row of each chroma block, and the same moved by one
// sample towards each side (a byte shift within each half): the sample that
// comes in is the last (first) of the same row of the MCU to the left (right).
struct ChromaRows {
  __m256i before;
  __m256i centre;
  __m256i after;
};

// Row `row` of the chroma blocks (the first at `cbBlock`) of the middle MCU
// of neighbourhood row `dy` (0 above, 1 the MCU's own, 2 below).
[[gnu::always_inline]] inline ChromaRows ChromaRowsOf(const McuNeighbourhood& around, int dy, int cbBlock, int row) {
  const __m256i centre = LoadWideRow(around.mcus[dy][1], cbBlock, row);
  return {_mm256_alignr_epi8(centre, LoadWideRow(around.mcus[dy][0], cbBlock, row), 14), centre,
          _mm256_alignr_epi8(LoadWideRow(around.mcus[dy][2], cbBlock, row), centre, 2)};
}

// Row `row` (-1..8) of the middle MCU's chroma blocks: the rows beyond their
// first and last are those of the MCUs above and below.
[[gnu::always_inline]] inline ChromaRows ChromaRowsAround(const McuNeighbourhood& around, int cbBlock, int row) {
  if (row < 0) return ChromaRowsOf(around, 0, cbBlock, 7);
  if (row > 7) return ChromaRowsOf(around, 2, cbBlock, 0);
  return ChromaRowsOf(around, 1, cbBlock, row);
}

__m256i Triple(__m256i x) { return _mm256_add_epi16(_mm256_add_epi16(x, x), x); }

template <int16_t kRounding>
__m256i RoundedShift(__m256i sum, int shift) {
  return _mm256_srli_epi16(Plus<kRounding>(sum), shift);
}

// A row of interpolated Cb and of Cr, sixteen pixels each in pixel order:
// 0..7 in the lower 128-bit half, 8..15 in the upper one, as the pixel
// stores take them.
struct ChromaPixels {
  __m256i cb;
  __m256i cr;
};

// The outputs of eight samples of each chroma row, 2k from `even` and
// 2k + 1 from `odd`, interleaved within each half, then the halves regrouped.
ChromaPixels InPixelOrder(__m256i even, __m256i odd) {
  const __m256i first = _mm256_unpacklo_epi16(even, odd);   // Cb pixels 0..7, Cr pixels 0..7
  const __m256i second = _mm256_unpackhi_epi16(even, odd);  // Cb pixels 8..15, Cr pixels 8..15
  return {_mm256_permute2x128_si256(first, second, 0x20), _mm256_permute2x128_si256(first, second, 0x31)};
}

// Horizontal 2:1, the outputs 2k and 2k + 1 of each sample:
// (3 s[k] + s[k - 1] + 1) >> 2 and (3 s[k] + s[k + 1] + 2) >> 2.
struct EvenOddOutputs {
  __m256i even;
  __m256i odd;
};

[[gnu::always_inline]] inline EvenOddOutputs Horizontal2x1(const ChromaRows& s) {
  const __m256i centre = Triple(s.centre);
  return {RoundedShift<1>(_mm256_add_epi16(centre, s.before), 2),
          RoundedShift<2>(_mm256_add_epi16(centre, s.after), 2)};
}

[[gnu::always_inline]] inline ChromaPixels Smooth2x1(const ChromaRows& s) {
  const EvenOddOutputs outputs = Horizontal2x1(s);
  return InPixelOrder(outputs.even, outputs.odd);
}

// 2:1 both ways, the output row of chroma rows `s` on the side of rows
// `towards`: the vertical blend 3 s + towards first, at the sample and at
// each horizontal neighbour, then the horizontal one with 8 and 7 to round.
[[gnu::always_inline]] inline ChromaPixels Smooth2x2(const ChromaRows& s, const ChromaRows& towards) {
  auto blend = [](__m256i self, __m256i other) { return _mm256_add_epi16(Triple(self), other); };
  const __m256i centre = Triple(blend(s.centre, towards.centre));
  return InPixelOrder(RoundedShift<8>(_mm256_add_epi16(centre, blend(s.before, towards.before)), 4),
                      RoundedShift<7>(_mm256_add_epi16(centre, blend(s.after, towards.after)), 4));
}

// Luminance row `lumaRow` of the middle MCU, 16 pixels, with the given
// interpolated chroma.
template <class Order>
[[gnu::always_inline]] inline void ConvertSmoothRow(const CoefficientBlock* blocks, const McuTarget& target,
                                                    int lumaRow, const ChromaPixels& chroma) {
  uint8_t* out = RowAt(target, lumaRow);
  const __m256i y = LoadWideRow(blocks, (lumaRow / 8) * 2, lumaRow % 8);
  Order::Store({out, out + 8 * Order::kPixelBytes}, ApplyTerms(y, GenericTerms::Of(chroma.cb, chroma.cr)));
}

template <class Order>
void ConvertSmooth422(const McuNeighbourhood& around, const McuTarget& target) {
  for (int row = 0; row < 8; ++row) {
    ConvertSmoothRow<Order>(around.mcus[1][1], target, row,
                            Smooth2x1(ChromaRowsOf(around, 1, Layout422::kCbBlock, row)));
  }
}

// Each chroma row gives the luminance row above its middle (blended with the
// chroma row above) and the one below (with the row below).
template <class Order>
void ConvertSmooth420(const McuNeighbourhood& around, const McuTarget& target) {
  ChromaRows above = ChromaRowsAround(around, Layout420::kCbBlock, -1);
  ChromaRows current = ChromaRowsAround(around, Layout420::kCbBlock, 0);
  for (int row = 0; row < 8; ++row) {
    const ChromaRows below = ChromaRowsAround(around, Layout420::kCbBlock, row + 1);
    ConvertSmoothRow<Order>(around.mcus[1][1], target, 2 * row, Smooth2x2(current, above));
    ConvertSmoothRow<Order>(around.mcus[1][1], target, 2 * row + 1, Smooth2x2(current, below));
    above = current;
    current = below;
  }
}

// A 4:2:2 MCU read at half size, 8x4 pixels: luminance blocks 0 and 1 and
// chroma blocks 2 and 3, 4x4 samples each. Two rows a step, one in each
// 128-bit half, each half holding the row's four Cb samples, then its four
// Cr ones: a shift within each 64-bit piece moves every sample to its
// neighbour's place, and the sample that comes in is the last (first) of the
// same row of the MCU to the left (right).
struct Layout422HalfMcu {
  static constexpr int kWidth = 8;
  static constexpr int kHeight = 4;
};

template <class Order>
void ConvertSmoothHalfSize422(const McuNeighbourhood& around, const McuTarget& target) {
  const CoefficientBlock* const* beside = around.mcus[1];
  constexpr int kCb = Layout422::kCbBlock;
  for (int row = 0; row < 4; row += 2) {
    const __m256i centre = QuarterBlockRowPair(beside[1], kCb, row);
    const __m256i before =
        _mm256_or_si256(_mm256_slli_epi64(centre, 16), _mm256_srli_epi64(QuarterBlockRowPair(beside[0], kCb, row), 48));
    const __m256i after =
        _mm256_or_si256(_mm256_srli_epi64(centre, 16), _mm256_slli_epi64(QuarterBlockRowPair(beside[2], kCb, row), 48));
    // The outputs of each half's samples interleave into the row's 8 pixels
    // of Cb (from the lower four samples) and of Cr (the upper four).
    const EvenOddOutputs outputs = Horizontal2x1({before, centre, after});
    const ChromaTerms terms = GenericTerms::Of(_mm256_unpacklo_epi16(outputs.even, outputs.odd),
                                               _mm256_unpackhi_epi16(outputs.even, outputs.odd));
    Order::Store({RowAt(target, row), RowAt(target, row + 1)},
                 ApplyTerms(QuarterBlockRowPair(beside[1], 0, row), terms));
  }
}

// The same at quarter size, 4x2 pixels: blocks of 2x2 samples. Both rows at
// once, one in each 128-bit half, whose lanes 0..3 hold the row's pixels
// (the others unused); each half holds the row's two Cb samples, then its two
// Cr ones, and the shifts work within each 32-bit piece.
struct Layout422QuarterMcu {
  static constexpr int kWidth = 4;
  static constexpr int kHeight = 2;
};

// Rows 0 and 1 of blocks `left` and `left + 1` read at quarter size, side by
// side, one row in each 128-bit half.
__m256i TwoSampleRowPair(const CoefficientBlock* blocks, int left) {
  auto row = [&](int r) {
    return _mm_unpacklo_epi32(_mm_loadu_si32(blocks[left].values + 8 * r),
                              _mm_loadu_si32(blocks[left + 1].values + 8 * r));
  };
  return LowBytes(_mm256_set_m128i(row(1), row(0)));
}

template <class Order>
void ConvertSmoothQuarterSize422(const McuNeighbourhood& around, const McuTarget& target) {
  const CoefficientBlock* const* beside = around.mcus[1];
  constexpr int kCb = Layout422::kCbBlock;
  const __m256i centre = TwoSampleRowPair(beside[1], kCb);
  const __m256i before =
      _mm256_or_si256(_mm256_slli_epi32(centre, 16), _mm256_srli_epi32(TwoSampleRowPair(beside[0], kCb), 16));
  const __m256i after =
      _mm256_or_si256(_mm256_srli_epi32(centre, 16), _mm256_slli_epi32(TwoSampleRowPair(beside[2], kCb), 16));
  // The outputs interleave into each row's 4 pixels of Cb (lanes 0..3) and
  // of Cr (lanes 4..7, moved down to 0..3).
  const EvenOddOutputs outputs = Horizontal2x1({before, centre, after});
  const __m256i chroma = _mm256_unpacklo_epi16(outputs.even, outputs.odd);
  const ChromaTerms terms = GenericTerms::Of(chroma, _mm256_srli_si256(chroma, 8));
  Order::template Store<4>({RowAt(target, 0), RowAt(target, 1)}, ApplyTerms(TwoSampleRowPair(beside[1], 0), terms));
}

// Whether the MCUs an interpolating routine reads around the middle one are
// all there: those beside it, and with `vertical` those above and below too.
bool HasNeighbours(const McuNeighbourhood& around, bool vertical) {
  for (int dy = vertical ? 0 : 1; dy <= (vertical ? 2 : 1); ++dy) {
    for (const CoefficientBlock* mcu : around.mcus[dy]) {
      if (mcu == nullptr) return false;
    }
  }
  return true;
}

template <class Order>
bool WriteSmoothHalfSizeMcu422(const McuNeighbourhood& around, const McuTarget& target) {
  if (!HasNeighbours(around, false) || !TakesWholeMcu<Layout422HalfMcu, Order>(target)) return false;
  ConvertSmoothHalfSize422<Order>(around, target);
  return true;
}

template <class Order>
bool WriteSmoothQuarterSizeMcu422(const McuNeighbourhood& around, const McuTarget& target) {
  if (!HasNeighbours(around, false) || !TakesWholeMcu<Layout422QuarterMcu, Order>(target)) return false;
  ConvertSmoothQuarterSize422<Order>(around, target);
  return true;
}

// The packed path takes an MCU that the fused routines would take whole and
// whose neighbours it reads are all there.
template <class L, class Order>
bool WriteSmoothGenericMcu(const McuNeighbourhood& around, const McuTarget& target) {
  constexpr bool kVertical = L::kHeight == 16;
  if (!HasNeighbours(around, kVertical) || !TakesWholeMcu<L, Order>(target)) return false;
  if constexpr (kVertical) {
    ConvertSmooth420<Order>(around, target);
  } else {
    ConvertSmooth422<Order>(around, target);
  }
  return true;
}

}  // namespace

void OutputMcu444RgbAvx2(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcu<Layout444, RgbOrder, OutputMcu444RgbPlain>(mcu, target);
}
void OutputMcu444BgrAvx2(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcu<Layout444, BgrOrder, OutputMcu444BgrPlain>(mcu, target);
}
void OutputMcu420RgbAvx2(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcu<Layout420, RgbOrder, OutputMcu420RgbPlain>(mcu, target);
}
void OutputMcu420BgrAvx2(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcu<Layout420, BgrOrder, OutputMcu420BgrPlain>(mcu, target);
}
void OutputMcu422RgbAvx2(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcu<Layout422, RgbOrder, OutputMcu422RgbPlain>(mcu, target);
}
void OutputMcu422BgrAvx2(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcu<Layout422, BgrOrder, OutputMcu422BgrPlain>(mcu, target);
}
void OutputMcu444RgbaAvx2(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcu<Layout444, RgbaOrder, OutputMcu444RgbaPlain>(mcu, target);
}
void OutputMcu420RgbaAvx2(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcu<Layout420, RgbaOrder, OutputMcu420RgbaPlain>(mcu, target);
}
void OutputMcu422RgbaAvx2(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcu<Layout422, RgbaOrder, OutputMcu422RgbaPlain>(mcu, target);
}

bool WriteGenericMcu444RgbAvx2(const CoefficientBlock* blocks, const McuTarget& target) {
  return WriteWholeGenericMcu<Layout444, RgbOrder>(blocks, target);
}
bool WriteGenericMcu444BgrAvx2(const CoefficientBlock* blocks, const McuTarget& target) {
  return WriteWholeGenericMcu<Layout444, BgrOrder>(blocks, target);
}
bool WriteGenericMcu444RgbaAvx2(const CoefficientBlock* blocks, const McuTarget& target) {
  return WriteWholeGenericMcu<Layout444, RgbaOrder>(blocks, target);
}
bool WriteGenericMcu422RgbAvx2(const CoefficientBlock* blocks, const McuTarget& target) {
  return WriteWholeGenericMcu<Layout422, RgbOrder>(blocks, target);
}
bool WriteGenericMcu422BgrAvx2(const CoefficientBlock* blocks, const McuTarget& target) {
  return WriteWholeGenericMcu<Layout422, BgrOrder>(blocks, target);
}
bool WriteGenericMcu422RgbaAvx2(const CoefficientBlock* blocks, const McuTarget& target) {
  return WriteWholeGenericMcu<Layout422, RgbaOrder>(blocks, target);
}
bool WriteGenericMcu420RgbAvx2(const CoefficientBlock* blocks, const McuTarget& target) {
  return WriteWholeGenericMcu<Layout420, RgbOrder>(blocks, target);
}
bool WriteGenericMcu420BgrAvx2(const CoefficientBlock* blocks, const McuTarget& target) {
  return WriteWholeGenericMcu<Layout420, BgrOrder>(blocks, target);
}
bool WriteGenericMcu420RgbaAvx2(const CoefficientBlock* blocks, const McuTarget& target) {
  return WriteWholeGenericMcu<Layout420, RgbaOrder>(blocks, target);
}

bool WriteSmoothGenericMcu422RgbAvx2(const McuNeighbourhood& around, const McuTarget& target) {
  return WriteSmoothGenericMcu<Layout422, RgbOrder>(around, target);
}
bool WriteSmoothGenericMcu422BgrAvx2(const McuNeighbourhood& around, const McuTarget& target) {
  return WriteSmoothGenericMcu<Layout422, BgrOrder>(around, target);
}
bool WriteSmoothGenericMcu422RgbaAvx2(const McuNeighbourhood& around, const McuTarget& target) {
  return WriteSmoothGenericMcu<Layout422, RgbaOrder>(around, target);
}
bool WriteSmoothGenericMcu420RgbAvx2(const McuNeighbourhood& around, const McuTarget& target) {
  return WriteSmoothGenericMcu<Layout420, RgbOrder>(around, target);
}
bool WriteSmoothGenericMcu420BgrAvx2(const McuNeighbourhood& around, const McuTarget& target) {
  return WriteSmoothGenericMcu<Layout420, BgrOrder>(around, target);
}
bool WriteSmoothGenericMcu420RgbaAvx2(const McuNeighbourhood& around, const McuTarget& target) {
  return WriteSmoothGenericMcu<Layout420, RgbaOrder>(around, target);
}

bool WriteSmoothHalfSizeMcu422RgbAvx2(const McuNeighbourhood& around, const McuTarget& target) {
  return WriteSmoothHalfSizeMcu422<RgbOrder>(around, target);
}
bool WriteSmoothHalfSizeMcu422BgrAvx2(const McuNeighbourhood& around, const McuTarget& target) {
  return WriteSmoothHalfSizeMcu422<BgrOrder>(around, target);
}
bool WriteSmoothHalfSizeMcu422RgbaAvx2(const McuNeighbourhood& around, const McuTarget& target) {
  return WriteSmoothHalfSizeMcu422<RgbaOrder>(around, target);
}

bool WriteSmoothQuarterSizeMcu422RgbAvx2(const McuNeighbourhood& around, const McuTarget& target) {
  return WriteSmoothQuarterSizeMcu422<RgbOrder>(around, target);
}
bool WriteSmoothQuarterSizeMcu422BgrAvx2(const McuNeighbourhood& around, const McuTarget& target) {
  return WriteSmoothQuarterSizeMcu422<BgrOrder>(around, target);
}
bool WriteSmoothQuarterSizeMcu422RgbaAvx2(const McuNeighbourhood& around, const McuTarget& target) {
  return WriteSmoothQuarterSizeMcu422<RgbaOrder>(around, target);
}

bool WriteHalfSizeGenericMcu420RgbAvx2(const CoefficientBlock* blocks, const McuTarget& target) {
  return WriteHalfSizeGenericMcu<RgbOrder>(blocks, target);
}
bool WriteHalfSizeGenericMcu420BgrAvx2(const CoefficientBlock* blocks, const McuTarget& target) {
  return WriteHalfSizeGenericMcu<BgrOrder>(blocks, target);
}
bool WriteHalfSizeGenericMcu420RgbaAvx2(const CoefficientBlock* blocks, const McuTarget& target) {
  return WriteHalfSizeGenericMcu<RgbaOrder>(blocks, target);
}

}  // namespace halvora::jpeg
