// The fused YCbCr -> colour routines on 128-bit registers, one MCU row at a
// time: 8 chroma samples give their offsets once in 16-bit lanes, are
// replicated over the pixels they cover, added to the luminance and packed to
// bytes, and the three colour planes are interleaved into pixels.
#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

#include "jpeg/kernels/color_output.h"
#include "jpeg/kernels/kernels_sse2.h"
#include "jpeg/kernels/mcu_layouts.h"

namespace halvora::jpeg {

namespace {

using mcu_layouts::Layout420;
using mcu_layouts::Layout422;
using mcu_layouts::Layout444;

// The plain routines read every sample as its low byte.
__m128i LoadSamples(const McuBuffer& mcu, int block, int row) {
  const __m128i values = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mcu.blocks[block].values + 8 * row));
  return _mm_and_si128(values, _mm_set1_epi16(0x00FF));
}

// The fused offsets of 8 chroma pairs, exact in 16-bit lanes. Each term is
// split into a whole multiple of 256 (which passes through the floor of the
// shift unchanged) and a remainder small enough for 16 bits; for samples
// 0..255 every intermediate below stays within -18605 .. 26276.
//   dR = (359 Cr - 45813) >> 8           = Cr - 179 + ((103 Cr + 11) >> 8)
//   n  = (88 Cb + 183 Cr - 34806) >> 8   = Cr - 136 + ((88 Cb - 73 Cr + 10) >> 8)
//   dB = (454 Cb - 57937) >> 8           = 2 Cb - 227 + ((175 - 58 Cb) >> 8)
// and G = Y - n, R = Y + dR, B = Y + dB.
struct ChromaTerms {
  __m128i red;
  __m128i greenSubtracted;
  __m128i blue;
};

ChromaTerms FusedChromaTerms(__m128i cb, __m128i cr) {
  const __m128i redRest =
      _mm_srai_epi16(_mm_add_epi16(_mm_mullo_epi16(cr, _mm_set1_epi16(103)), _mm_set1_epi16(11)), 8);
  const __m128i greenRest = _mm_srai_epi16(
      _mm_add_epi16(_mm_sub_epi16(_mm_mullo_epi16(cb, _mm_set1_epi16(88)), _mm_mullo_epi16(cr, _mm_set1_epi16(73))),
                    _mm_set1_epi16(10)),
      8);
  const __m128i blueRest =
      _mm_srai_epi16(_mm_sub_epi16(_mm_set1_epi16(175), _mm_mullo_epi16(cb, _mm_set1_epi16(58))), 8);
  return {_mm_add_epi16(_mm_sub_epi16(cr, _mm_set1_epi16(179)), redRest),
          _mm_add_epi16(_mm_sub_epi16(cr, _mm_set1_epi16(136)), greenRest),
          _mm_add_epi16(_mm_sub_epi16(_mm_add_epi16(cb, cb), _mm_set1_epi16(227)), blueRest)};
}

// Luminance plus offset stays within -227 .. 480, so the unsigned saturating
// pack to bytes is exactly the clamp to 0..255.
struct ColourPlanes {
  __m128i red;
  __m128i green;
  __m128i blue;
};

ColourPlanes ApplyTerms(__m128i yLeft, __m128i yRight, const ChromaTerms& left, const ChromaTerms& right) {
  return {_mm_packus_epi16(_mm_add_epi16(yLeft, left.red), _mm_add_epi16(yRight, right.red)),
          _mm_packus_epi16(_mm_sub_epi16(yLeft, left.greenSubtracted), _mm_sub_epi16(yRight, right.greenSubtracted)),
          _mm_packus_epi16(_mm_add_epi16(yLeft, left.blue), _mm_add_epi16(yRight, right.blue))};
}

// Each chroma offset covers two neighbouring pixels of a subsampled row.
ChromaTerms RepeatLow(const ChromaTerms& t) {
  return {_mm_unpacklo_epi16(t.red, t.red), _mm_unpacklo_epi16(t.greenSubtracted, t.greenSubtracted),
          _mm_unpacklo_epi16(t.blue, t.blue)};
}
ChromaTerms RepeatHigh(const ChromaTerms& t) {
  return {_mm_unpackhi_epi16(t.red, t.red), _mm_unpackhi_epi16(t.greenSubtracted, t.greenSubtracted),
          _mm_unpackhi_epi16(t.blue, t.blue)};
}

// The bytes of up to 16 pixels as four registers of 4 pixels x 4 bytes.
struct QuadPixels {
  __m128i quad[4];
};

QuadPixels Interleave(__m128i first, __m128i second, __m128i third, __m128i fourth) {
  const __m128i low01 = _mm_unpacklo_epi8(first, second);
  const __m128i high01 = _mm_unpackhi_epi8(first, second);
  const __m128i low23 = _mm_unpacklo_epi8(third, fourth);
  const __m128i high23 = _mm_unpackhi_epi8(third, fourth);
  return {{_mm_unpacklo_epi16(low01, low23), _mm_unpackhi_epi16(low01, low23), _mm_unpacklo_epi16(high01, high23),
           _mm_unpackhi_epi16(high01, high23)}};
}

// 4 pixels of 4 bytes (the fourth byte unused) -> 12 bytes of 3-byte pixels
// in bytes 0..11; bytes 12..15 are zero.
__m128i DropFourthBytes(__m128i quad) {
  // In each 64-bit half: pixel 0 stays in bytes 0..2, pixel 1 moves down to bytes 3..5.
  const __m128i pairs =
      _mm_or_si128(_mm_and_si128(quad, _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF)),
                   _mm_and_si128(_mm_srli_epi64(quad, 8), _mm_set_epi32(0xFFFF, 0xFF000000, 0xFFFF, 0xFF000000)));
  // The upper half's six bytes move down from bytes 8..13 to 6..11.
  return _mm_or_si128(_mm_and_si128(pairs, _mm_set_epi32(0, 0, 0xFFFF, -1)),
                      _mm_and_si128(_mm_srli_si128(pairs, 2), _mm_set_epi32(0, -1, 0xFFFF0000, 0)));
}

void Store(uint8_t* at, __m128i bytes) { _mm_storeu_si128(reinterpret_cast<__m128i*>(at), bytes); }

// A row of pixels in the routine's byte order: (first, second, third) and,
// for four-byte pixels, 255. Only the row's own bytes are written.
template <int kPixelBytes>
void StorePixelRow(uint8_t* row, int pixels, __m128i first, __m128i second, __m128i third) {
  const QuadPixels q = Interleave(first, second, third, _mm_set1_epi8(static_cast<char>(0xFF)));
  if constexpr (kPixelBytes == 4) {
    for (int i = 0; i < pixels / 4; ++i) Store(row + 16 * i, q.quad[i]);
  } else {
    const __m128i g0 = DropFourthBytes(q.quad[0]);
    const __m128i g1 = DropFourthBytes(q.quad[1]);
    Store(row, _mm_or_si128(g0, _mm_slli_si128(g1, 12)));
    if (pixels == 8) {
      _mm_storel_epi64(reinterpret_cast<__m128i*>(row + 16), _mm_srli_si128(g1, 4));
      return;
    }
    const __m128i g2 = DropFourthBytes(q.quad[2]);
    const __m128i g3 = DropFourthBytes(q.quad[3]);
    Store(row + 16, _mm_or_si128(_mm_srli_si128(g1, 4), _mm_slli_si128(g2, 8)));
    Store(row + 32, _mm_or_si128(_mm_srli_si128(g2, 8), _mm_slli_si128(g3, 4)));
  }
}

// Byte orders of the converting routines.
struct RgbOrder {
  static constexpr int kPixelBytes = 3;
  static void StoreRow(uint8_t* row, int pixels, const ColourPlanes& p) {
    StorePixelRow<3>(row, pixels, p.red, p.green, p.blue);
  }
};
struct BgrOrder {
  static constexpr int kPixelBytes = 3;
  static void StoreRow(uint8_t* row, int pixels, const ColourPlanes& p) {
    StorePixelRow<3>(row, pixels, p.blue, p.green, p.red);
  }
};
struct RgbaOrder {
  static constexpr int kPixelBytes = 4;
  static void StoreRow(uint8_t* row, int pixels, const ColourPlanes& p) {
    StorePixelRow<4>(row, pixels, p.red, p.green, p.blue);
  }
};

// Whole MCU, the offsets of each chroma row computed once and applied to the
// one or two luminance rows it covers.
template <class L, class Order>
void ConvertWholeMcu(const McuBuffer& mcu, const McuTarget& target) {
  constexpr int kWidthBlocks = L::kWidth / 8;
  for (int chromaRow = 0; chromaRow < 8; ++chromaRow) {
    const ChromaTerms terms =
        FusedChromaTerms(LoadSamples(mcu, L::kCbBlock, chromaRow), LoadSamples(mcu, L::kCrBlock, chromaRow));
    for (int row = chromaRow * L::kChromaRowsPerSample; row < (chromaRow + 1) * L::kChromaRowsPerSample; ++row) {
      const int lumaBlock = (row / 8) * kWidthBlocks;
      uint8_t* out = target.dib + (target.topLeft + row * target.lineBytes);
      if constexpr (kWidthBlocks == 1) {
        const __m128i y = LoadSamples(mcu, lumaBlock, row % 8);
        Order::StoreRow(out, 8, ApplyTerms(y, _mm_setzero_si128(), terms, terms));
      } else {
        const __m128i yLeft = LoadSamples(mcu, lumaBlock, row % 8);
        const __m128i yRight = LoadSamples(mcu, lumaBlock + 1, row % 8);
        Order::StoreRow(out, 16, ApplyTerms(yLeft, yRight, RepeatLow(terms), RepeatHigh(terms)));
      }
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

template <class L, class Order, void (*kPlain)(const McuBuffer&, const McuTarget&)>
void OutputMcu(const McuBuffer& mcu, const McuTarget& target) {
  if (TakesWholeMcu<L, Order>(target)) {
    ConvertWholeMcu<L, Order>(mcu, target);
  } else {
    kPlain(mcu, target);
  }
}

}  // namespace

void OutputMcu444RgbSse2(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcu<Layout444, RgbOrder, OutputMcu444RgbPlain>(mcu, target);
}
void OutputMcu444BgrSse2(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcu<Layout444, BgrOrder, OutputMcu444BgrPlain>(mcu, target);
}
void OutputMcu420RgbSse2(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcu<Layout420, RgbOrder, OutputMcu420RgbPlain>(mcu, target);
}
void OutputMcu420BgrSse2(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcu<Layout420, BgrOrder, OutputMcu420BgrPlain>(mcu, target);
}
void OutputMcu422RgbSse2(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcu<Layout422, RgbOrder, OutputMcu422RgbPlain>(mcu, target);
}
void OutputMcu422BgrSse2(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcu<Layout422, BgrOrder, OutputMcu422BgrPlain>(mcu, target);
}
void OutputMcu444RgbaSse2(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcu<Layout444, RgbaOrder, OutputMcu444RgbaPlain>(mcu, target);
}
void OutputMcu420RgbaSse2(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcu<Layout420, RgbaOrder, OutputMcu420RgbaPlain>(mcu, target);
}
void OutputMcu422RgbaSse2(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcu<Layout422, RgbaOrder, OutputMcu422RgbaPlain>(mcu, target);
}

}  // namespace halvora::jpeg
