#include <immintrin.h>

#include <cstdint>

#include "jpeg/kernels/kernels_avx2.h"

namespace halvora::jpeg {

namespace {

// The low 16 bits of a product depend only on the low 16 bits of its factors,
// so the low half of each 32-bit factor is picked out (bytes 0 and 1 of each
// lane) and the 16-bit multiply gives the plain kernel's result. The picked
// halves land in the low 8 bytes of each 128-bit lane; the lane order is then
// put right across the register.
__m256i LowHalvesOfFactors(const int32_t* entries) {
  const __m256i pick = _mm256_setr_epi8(0, 1, 4, 5, 8, 9, 12, 13, -1, -1, -1, -1, -1, -1, -1, -1,  //
                                        0, 1, 4, 5, 8, 9, 12, 13, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m256i first = _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(entries)), pick);
  const __m256i second = _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(entries + 8)), pick);
  // first: factors 0..3, -, 4..7, -; second: 8..11, -, 12..15, - (64-bit pieces).
  return _mm256_permute4x64_epi64(_mm256_unpacklo_epi64(first, second), _MM_SHUFFLE(3, 1, 2, 0));
}

}  // namespace

void DequantizeBlockMethod1Avx2(const CoefficientBlock& coefficients, const int32_t* entries, CoefficientBlock& block) {
  for (int i = 0; i < 64; i += 16) {
    const __m256i terms = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(coefficients.values + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(block.values + i),
                        _mm256_mullo_epi16(terms, LowHalvesOfFactors(entries + i)));
  }
}

}  // namespace halvora::jpeg
