// EXTEND: the signed value of the bits received for a magnitude category.
#pragma once

#include <cstdint>

namespace halvora::jpeg {

// The value of `bits` (fewer than 2^category) received for magnitude
// category `category` (1 to 15): a clear top bit marks a negative value,
// bits - 2^category + 1. Branch-free, as the block decoders call it for
// nearly every coefficient.
inline int32_t ExtendNonZero(uint32_t bits, int category) {
  const int32_t value = static_cast<int32_t>(bits);
  const int32_t negative = (value >> (category - 1)) - 1;  // -1 when the top bit is clear, else 0
  return value + (negative & static_cast<int32_t>(1u - (1u << category)));
}

// The same for categories 0 to 15; category 0 carries no bits and means 0.
inline int32_t ExtendReceived(uint32_t bits, int category) {
  return category == 0 ? 0 : ExtendNonZero(bits, category);
}

}  // namespace halvora::jpeg
