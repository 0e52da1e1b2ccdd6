// A DIB of random bytes inside a buffer with random guard bytes before and
// after it, for tests that prove a routine writes exactly what it should.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace halvora::jpeg::testing {

// `lines` lines of `lineBytes` (padding included), top-down or bottom-up.
// Pixel (x, y) is at topLine + y * stride + x * channels.
struct GuardedDib {
  static constexpr size_t kGuard = 64;
  std::vector<uint8_t> bytes;
  uint8_t* topLine;
  ptrdiff_t stride;

  GuardedDib(std::mt19937& rng, int lines, int lineBytes, bool bottomUp)
      : bytes(size_t(lines) * lineBytes + 2 * kGuard) {
    std::uniform_int_distribution<int> byte(0, 255);
    for (auto& b : bytes) b = static_cast<uint8_t>(byte(rng));
    uint8_t* first = bytes.data() + kGuard;
    topLine = bottomUp ? first + size_t(lines - 1) * lineBytes : first;
    stride = bottomUp ? -lineBytes : lineBytes;
  }
  size_t IndexOf(ptrdiff_t offset) const { return static_cast<size_t>(topLine - bytes.data() + offset); }
};

inline void ExpectSameBytes(const std::vector<uint8_t>& actual, const std::vector<uint8_t>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i) ASSERT_EQ(actual[i], expected[i]) << "buffer byte " << i;
}

}  // namespace halvora::jpeg::testing
