#include "tests/support/guarded_dib.h"

#include <gtest/gtest.h>

namespace halvora::test_support {

GuardedDib::GuardedDib(std::mt19937& rng, int lines, int lineBytes, bool bottomUp)
    : bytes(size_t(lines) * lineBytes + 2 * kGuardBytes),
      stride(bottomUp ? -lineBytes : lineBytes),
      topIndex_(kGuardBytes + (bottomUp ? size_t(lines - 1) * lineBytes : 0)),
      lineBytes_(size_t(lineBytes)) {
  std::uniform_int_distribution<int> byte(0, 255);
  for (auto& b : bytes) b = static_cast<uint8_t>(byte(rng));
}

std::string GuardedDib::Where(size_t index) const {
  if (index < kGuardBytes) return "guard before the DIB, byte " + std::to_string(index);
  const size_t end = bytes.size() - kGuardBytes;
  if (index >= end) return "guard after the DIB, byte " + std::to_string(index - end);
  const size_t inDib = index - kGuardBytes;
  return "buffer line " + std::to_string(inDib / lineBytes_) + ", byte " + std::to_string(inDib % lineBytes_);
}

void ExpectSameBytes(const GuardedDib& dib, const std::vector<uint8_t>& expected) {
  ASSERT_EQ(dib.bytes.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(dib.bytes[i], expected[i]) << dib.Where(i);
}

}  // namespace halvora::test_support
