#include <emmintrin.h>

#include <cstdint>

#include "jpeg/kernels/kernels_sse2.h"

namespace halvora::jpeg {

namespace {

// The low 16 bits of a product depend only on the low 16 bits of its factors,
// so each 32-bit factor is cut to its low 16 bits (shifted up and back down,
// which makes the signed pack below exact) before the 16-bit multiply.
__m128i LowHalvesOfFactors(const int32_t* entries) {
  const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(entries));
  const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(entries + 4));
  return _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(first, 16), 16), _mm_srai_epi32(_mm_slli_epi32(second, 16), 16));
}

}  // namespace

void DequantizeBlockMethod1Sse2(const CoefficientBlock& coefficients, const int32_t* entries, CoefficientBlock& block) {
  for (int i = 0; i < 64; i += 8) {
    const __m128i terms = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coefficients.values + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(block.values + i),
                     _mm_mullo_epi16(terms, LowHalvesOfFactors(entries + i)));
  }
}

}  // namespace halvora::jpeg
