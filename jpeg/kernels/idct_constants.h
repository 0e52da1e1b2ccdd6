// The fixed-point constants of the full-size inverse DCTs, shared by the
// plain kernels and their packed twins so that both compute the same thing.
#pragma once

#include <cstdint>

namespace halvora::jpeg::idct_constants {

// Method 1: the integer transform's rotations, 15 fraction bits (kR2: 12).
inline constexpr int32_t kC1 = 32138;  // 2^15 cos(pi/16)
inline constexpr int32_t kS1 = 6393;   // 2^15 sin(pi/16)
inline constexpr int32_t kC3 = 27246;  // 2^15 cos(3pi/16)
inline constexpr int32_t kS3 = 18205;  // 2^15 sin(3pi/16)
inline constexpr int32_t kW2 = 42813;  // 2^15 sqrt(2) cos(pi/8)
inline constexpr int32_t kW6 = 17734;  // 2^15 sqrt(2) sin(pi/8)
inline constexpr int32_t kR2 = 5793;   // 2^12 sqrt(2)

// Method 0: the AAN transform's multipliers, 15 fraction bits.
inline constexpr int32_t kK1 = 25080;  // 2^15 x 0.765366865
inline constexpr int32_t kK2 = 46341;  // 2^15 x 1.414213562
inline constexpr int32_t kK3 = 85627;  // 2^15 x 2.613125930
inline constexpr int32_t kK4 = 35468;  // 2^15 x 1.082392200

}  // namespace halvora::jpeg::idct_constants
