// The interpolating upsamplers on 128-bit registers. A row of the full-size
// neighbourhood is ten bytes: its eight samples with one neighbour on each
// side, so the samples and their left and right neighbours are three loads
// of eight bytes at offsets 1, 0 and 2, widened to 16 bits. Every sum stays
// under 2^12, so 16-bit lanes hold the plain filters' arithmetic exactly.
#include <emmintrin.h>

#include <cstdint>

#include "jpeg/kernels/smooth_upsampling.h"

namespace halvora::jpeg {

namespace {

// Eight samples of neighbourhood row `row` (-1..8), starting at column
// `column` (-1, 0 or 1), as 16-bit lanes.
__m128i Samples(const ChromaNeighbourhood& chroma, int row, int column) {
  const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&chroma.ring[row + 1][column + 1]));
  return _mm_unpacklo_epi8(bytes, _mm_setzero_si128());
}

__m128i Times3(__m128i x) { return _mm_add_epi16(_mm_add_epi16(x, x), x); }

// Output samples 2k (from `left`) and 2k + 1 (from `right`), each already
// shifted, as sixteen bytes in order.
void StorePairs(uint8_t* out, __m128i left, __m128i right) {
  const __m128i bytes = _mm_packus_epi16(left, right);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, _mm_srli_si128(bytes, 8)));
}

}  // namespace

void UpsampleSmooth2x1Sse2(const ChromaNeighbourhood& chroma, McuPlane& plane) {
  if (chroma.size != 8) {
    UpsampleSmooth2x1(chroma, plane);
    return;
  }
  for (int row = 0; row < 8; ++row) {
    const __m128i centre = Times3(Samples(chroma, row, 0));
    const __m128i left = _mm_add_epi16(_mm_add_epi16(centre, Samples(chroma, row, -1)), _mm_set1_epi16(1));
    const __m128i right = _mm_add_epi16(_mm_add_epi16(centre, Samples(chroma, row, 1)), _mm_set1_epi16(2));
    StorePairs(plane.samples + row * kMcuPlaneSide, _mm_srli_epi16(left, 2), _mm_srli_epi16(right, 2));
  }
}

void UpsampleSmooth2x2Sse2(const ChromaNeighbourhood& chroma, McuPlane& plane) {
  if (chroma.size != 8) {
    UpsampleSmooth2x2(chroma, plane);
    return;
  }
  for (int i = 0; i < 8; ++i) {
    for (int a = 0; a < 2; ++a) {
      // The vertical blend first: 3 x this row + the row towards the output
      // pixel, at the sample and at each horizontal neighbour.
      const int towards = a == 0 ? i - 1 : i + 1;
      const __m128i middle = _mm_add_epi16(Times3(Samples(chroma, i, 0)), Samples(chroma, towards, 0));
      const __m128i before = _mm_add_epi16(Times3(Samples(chroma, i, -1)), Samples(chroma, towards, -1));
      const __m128i after = _mm_add_epi16(Times3(Samples(chroma, i, 1)), Samples(chroma, towards, 1));
      const __m128i centre = Times3(middle);
      const __m128i left = _mm_add_epi16(_mm_add_epi16(centre, before), _mm_set1_epi16(8));
      const __m128i right = _mm_add_epi16(_mm_add_epi16(centre, after), _mm_set1_epi16(7));
      StorePairs(plane.samples + (2 * i + a) * kMcuPlaneSide, _mm_srli_epi16(left, 4), _mm_srli_epi16(right, 4));
    }
  }
}

}  // namespace halvora::jpeg
