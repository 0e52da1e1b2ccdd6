// The per-component output's colour conversion of a row: sixteen pixels at
// a time on 256-bit registers, then eight on 128-bit ones, in 16-bit lanes, with
// the plain conversion's own 16-bit offsets (whose numerators stay within
// 0..65535, so the logical shift of a lane is the plain shift), the clamp of
// the sum done by the unsigned pack, and the colours put into three-byte
// pixels by byte shuffles.
#include <halvora/jpeg.h>
#include <immintrin.h>

#include <cstdint>
#include <cstring>

#include "jpeg/kernels/color_pass.h"
#include "jpeg/kernels/kernels_avx2.h"

namespace halvora::jpeg {

namespace {

__m128i EightSamples(const uint8_t* samples) {
  return _mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(samples)));
}

// Eight pixels of three bytes: `first` into byte 0, `second` into byte 1,
// `third` into byte 2, each eight bytes in the low half of its register.
void StoreThreeBytePixels(uint8_t* out, __m128i first, __m128i second, __m128i third) {
  const __m128i pairs = _mm_unpacklo_epi8(first, second);  // f0 s0 f1 s1 ... f7 s7
  const __m128i pairsToLow = _mm_setr_epi8(0, 1, -1, 2, 3, -1, 4, 5, -1, 6, 7, -1, 8, 9, -1, 10);
  const __m128i thirdToLow = _mm_setr_epi8(-1, -1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1);
  const __m128i pairsToHigh = _mm_setr_epi8(11, -1, 12, 13, -1, 14, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i thirdToHigh = _mm_setr_epi8(-1, 5, -1, -1, 6, -1, -1, 7, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i low = _mm_or_si128(_mm_shuffle_epi8(pairs, pairsToLow), _mm_shuffle_epi8(third, thirdToLow));
  const __m128i high = _mm_or_si128(_mm_shuffle_epi8(pairs, pairsToHigh), _mm_shuffle_epi8(third, thirdToHigh));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), low);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), high);
}

// (a x + b) >> 8 of 16-bit unsigned numerators.
template <typename V, typename Ops>
V ScaledDown(V x, int16_t a, int16_t b) {
  return Ops::Shift8(Ops::Add(Ops::Mul(x, a), Ops::Set(b)));
}

// The colours of pixels in 16-bit lanes, from their samples in 16-bit lanes:
// on 128-bit registers for eight pixels, on 256-bit ones for sixteen.
template <typename V, typename Ops>
void ConvertLanes(V luma, V blue, V red, V& r, V& g, V& b) {
  r = Ops::Add(Ops::Add(luma, Ops::Sub(red, Ops::Set(179))), ScaledDown<V, Ops>(red, 103, 11));
  const V greenNumerator =
      Ops::Sub(Ops::Add(Ops::Set(static_cast<int16_t>(34806)), Ops::Mul(red, 73)), Ops::Mul(blue, 88));
  g = Ops::Sub(Ops::Add(luma, Ops::Shift8(greenNumerator)), red);
  b = Ops::Add(Ops::Add(luma, Ops::Sub(blue, Ops::Set(227))), ScaledDown<V, Ops>(blue, 198, 175));
}

struct Ops128 {
  static __m128i Add(__m128i a, __m128i b) { return _mm_add_epi16(a, b); }
  static __m128i Sub(__m128i a, __m128i b) { return _mm_sub_epi16(a, b); }
  static __m128i Set(int16_t v) { return _mm_set1_epi16(v); }
  static __m128i Mul(__m128i a, int16_t v) { return _mm_mullo_epi16(a, _mm_set1_epi16(v)); }
  static __m128i Shift8(__m128i a) { return _mm_srli_epi16(a, 8); }
};

struct Ops256 {
  static __m256i Add(__m256i a, __m256i b) { return _mm256_add_epi16(a, b); }
  static __m256i Sub(__m256i a, __m256i b) { return _mm256_sub_epi16(a, b); }
  static __m256i Set(int16_t v) { return _mm256_set1_epi16(v); }
  static __m256i Mul(__m256i a, int16_t v) { return _mm256_mullo_epi16(a, _mm256_set1_epi16(v)); }
  static __m256i Shift8(__m256i a) { return _mm256_srli_epi16(a, 8); }
};

void StoreColours(uint8_t* out, __m128i rBytes, __m128i gBytes, __m128i bBytes, bool bgr) {
  if (bgr) {
    StoreThreeBytePixels(out, bBytes, gBytes, rBytes);
  } else {
    StoreThreeBytePixels(out, rBytes, gBytes, bBytes);
  }
}

void ConvertEight(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out, bool bgr) {
  __m128i r, g, b;
  ConvertLanes<__m128i, Ops128>(EightSamples(y), EightSamples(cb), EightSamples(cr), r, g, b);
  StoreColours(out, _mm_packus_epi16(r, r), _mm_packus_epi16(g, g), _mm_packus_epi16(b, b), bgr);
}

__m256i SixteenSamples(const uint8_t* samples) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(samples)));
}

// The bytes of sixteen 16-bit lanes, saturated, in order in the low half.
__m128i PackedBytes(__m256i lanes) {
  return _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_packus_epi16(lanes, lanes), _MM_SHUFFLE(3, 1, 2, 0)));
}

void ConvertSixteen(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out, bool bgr) {
  __m256i r, g, b;
  ConvertLanes<__m256i, Ops256>(SixteenSamples(y), SixteenSamples(cb), SixteenSamples(cr), r, g, b);
  const __m128i rBytes = PackedBytes(r), gBytes = PackedBytes(g), bBytes = PackedBytes(b);
  StoreColours(out, rBytes, gBytes, bBytes, bgr);
  StoreColours(out + 24, _mm_unpackhi_epi64(rBytes, rBytes), _mm_unpackhi_epi64(gBytes, gBytes),
               _mm_unpackhi_epi64(bBytes, bBytes), bgr);
}

}  // namespace

void ConvertMcuRowAvx2(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int count, uint8_t* pixels, int channels,
                       int dibColor, int jpegColor) {
  if (channels != 3 || (dibColor != JpegColorRgb && dibColor != JpegColorBgr)) {
    ConvertMcuRow(y, cb, cr, count, pixels, channels, dibColor, jpegColor);
    return;
  }
  const bool bgr = dibColor == JpegColorBgr;
  int i = 0;
  for (; i + 16 <= count; i += 16) ConvertSixteen(y + i, cb + i, cr + i, pixels + 3 * i, bgr);
  for (; i + 8 <= count; i += 8) ConvertEight(y + i, cb + i, cr + i, pixels + 3 * i, bgr);
  if (i == count) return;
  // The last pixels (all of a reduced read's small MCUs) take the same step
  // from and into copies, as the rows may end right after them.
  const size_t left = static_cast<size_t>(count - i);
  uint8_t samples[3][8] = {};
  std::memcpy(samples[0], y + i, left);
  std::memcpy(samples[1], cb + i, left);
  std::memcpy(samples[2], cr + i, left);
  uint8_t converted[24];
  ConvertEight(samples[0], samples[1], samples[2], converted, bgr);
  std::memcpy(pixels + 3 * i, converted, 3 * left);
}

}  // namespace halvora::jpeg
