#include "tests/fuzz/fuzz_input.h"

namespace halvora::fuzz {

uint32_t TouchEveryByte(const uint8_t* bytes, size_t count) {
  static volatile uint32_t sink = 0;
  uint32_t sum = 0;
  for (size_t i = 0; i < count; ++i) sum += bytes[i];
  sink = sink + sum;
  return sum;
}

}  // namespace halvora::fuzz
