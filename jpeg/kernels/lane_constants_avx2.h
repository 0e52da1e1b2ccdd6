// Lane constants of the AVX2 kernels, broadcast from memory. Kernels that run
// once a block or an MCU form their constants at every call: from an
// immediate, as the compiler forms a splat, that takes three instructions
// (two of them on the shuffle unit), where a broadcast load takes one.
//
// Only the AVX2 kernels' files include this header: its templates are built
// for AVX2 wherever they are instantiated (see kernels_avx2.h).
#pragma once

#include <immintrin.h>

#include <cstdint>

namespace halvora::jpeg::avx2 {

template <int32_t kValue>
__m256i Splat32() {
  static constexpr int32_t kLane = kValue;
  return _mm256_broadcastd_epi32(_mm_loadu_si32(&kLane));
}

template <int16_t kValue>
__m256i Splat16() {
  static constexpr int16_t kLane = kValue;
  return _mm256_broadcastw_epi16(_mm_loadu_si16(&kLane));
}

}  // namespace halvora::jpeg::avx2
