// The last step of every inverse DCT: level shift and clamp to a sample.
#pragma once

#include <cstdint>

namespace halvora::jpeg {

inline int16_t LevelShiftAndClamp(int32_t value) {
  // Every caller passes a 32-bit value already shifted right by 3 bits or
  // more, so adding the level shift cannot overflow.
  const int32_t shifted = value + 128;
  return static_cast<int16_t>(shifted < 0 ? 0 : shifted > 255 ? 255 : shifted);
}

}  // namespace halvora::jpeg
