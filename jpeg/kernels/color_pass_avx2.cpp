// The per-component output's colour conversion of a row on 128-bit
// registers (AVX2 encodings): eight pixels at a time in 16-bit lanes, with
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

// (a x + b) >> 8 of 16-bit unsigned numerators.
__m128i ScaledDown(__m128i x, int16_t a, int16_t b) {
  return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(x, _mm_set1_epi16(a)), _mm_set1_epi16(b)), 8);
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

void ConvertEight(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out, bool bgr) {
  const __m128i luma = EightSamples(y);
  const __m128i blue = EightSamples(cb);
  const __m128i red = EightSamples(cr);
  const __m128i r =
      _mm_add_epi16(_mm_add_epi16(luma, _mm_sub_epi16(red, _mm_set1_epi16(179))), ScaledDown(red, 103, 11));
  const __m128i greenNumerator = _mm_sub_epi16(
      _mm_add_epi16(_mm_set1_epi16(static_cast<int16_t>(34806)), _mm_mullo_epi16(red, _mm_set1_epi16(73))),
      _mm_mullo_epi16(blue, _mm_set1_epi16(88)));
  const __m128i g = _mm_sub_epi16(_mm_add_epi16(luma, _mm_srli_epi16(greenNumerator, 8)), red);
  const __m128i b =
      _mm_add_epi16(_mm_add_epi16(luma, _mm_sub_epi16(blue, _mm_set1_epi16(227))), ScaledDown(blue, 198, 175));
  const __m128i rBytes = _mm_packus_epi16(r, r);
  const __m128i gBytes = _mm_packus_epi16(g, g);
  const __m128i bBytes = _mm_packus_epi16(b, b);
  if (bgr) {
    StoreThreeBytePixels(out, bBytes, gBytes, rBytes);
  } else {
    StoreThreeBytePixels(out, rBytes, gBytes, bBytes);
  }
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
