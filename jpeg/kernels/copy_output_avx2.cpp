// The grey copies on 256-bit registers: the 64 samples of a block narrowed to
// their low bytes, four rows a register, and stored 8 bytes a row, or spread
// into three- or four-byte pixels 24 or 32 bytes a row.
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "jpeg/kernels/color_output.h"
#include "jpeg/kernels/kernels_avx2.h"

namespace halvora::jpeg {

namespace {

// Rows `row` .. `row + 3` of the block as bytes, in row order.
__m256i FourRowsOfBytes(const CoefficientBlock& block, int row) {
  const __m256i lowByte = _mm256_set1_epi16(0x00FF);
  const __m256i rows01 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block.values + 8 * row));
  const __m256i rows23 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block.values + 8 * row + 16));
  // The pack works within 128-bit halves: rows 0, 2, 1, 3 in 64-bit pieces.
  const __m256i packed = _mm256_packus_epi16(_mm256_and_si256(rows01, lowByte), _mm256_and_si256(rows23, lowByte));
  return _mm256_permute4x64_epi64(packed, _MM_SHUFFLE(3, 1, 2, 0));
}

// As with the colour output: a wholly visible MCU whose rows of pixels lie
// apart is copied here; anything else goes to the plain loop.
bool TakesWholeBlock(const McuTarget& target, int channels) {
  const PixelRect& v = target.visible;
  const ptrdiff_t stride = target.lineBytes < 0 ? -target.lineBytes : target.lineBytes;
  return v.left <= 0 && v.top <= 0 && v.right >= 8 && v.bottom >= 8 && target.channels == channels &&
         stride >= 8 * channels;
}

// Eight grey bytes (the low half of `grey`) as eight pixels of one byte, of
// three equal bytes, or of three equal bytes and 255.
void StoreRow(uint8_t* out, __m128i grey, int channels) {
  if (channels == 1) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), grey);
    return;
  }
  if (channels == 3) {
    const __m128i firstSixteen = _mm_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5);
    const __m128i lastEight = _mm_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 0, 0, 0, 0, 0, 0, 0, 0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(grey, firstSixteen));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), _mm_shuffle_epi8(grey, lastEight));
    return;
  }
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i pairs = _mm_unpacklo_epi8(grey, grey);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(_mm_unpacklo_epi16(pairs, pairs), opaque));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_or_si128(_mm_unpackhi_epi16(pairs, pairs), opaque));
}

// The grey block of the MCU into every pixel of its target, wholly visible.
void StoreBlock(const McuBuffer& mcu, const McuTarget& target) {
  uint8_t* topLeft = target.dib + target.topLeft;
  for (int row = 0; row < 8; row += 4) {
    const __m256i bytes = FourRowsOfBytes(mcu.blocks[0], row);
    const __m128i rows01 = _mm256_castsi256_si128(bytes);
    const __m128i rows23 = _mm256_extracti128_si256(bytes, 1);
    uint8_t* out = topLeft + row * target.lineBytes;
    StoreRow(out, rows01, target.channels);
    StoreRow(out + target.lineBytes, _mm_unpackhi_epi64(rows01, rows01), target.channels);
    StoreRow(out + 2 * target.lineBytes, rows23, target.channels);
    StoreRow(out + 3 * target.lineBytes, _mm_unpackhi_epi64(rows23, rows23), target.channels);
  }
}

}  // namespace

void CopyMcuGreyAvx2(const McuBuffer& mcu, const McuTarget& target) {
  if (TakesWholeBlock(target, 1)) {
    StoreBlock(mcu, target);
  } else {
    CopyMcuGreyPlain(mcu, target);
  }
}

void CopyMcuGreyToColourAvx2(const McuBuffer& mcu, const McuTarget& target) {
  if (TakesWholeBlock(target, 3) || TakesWholeBlock(target, 4)) {
    StoreBlock(mcu, target);
  } else {
    CopyMcuGreyToColourPlain(mcu, target);
  }
}

}  // namespace halvora::jpeg
