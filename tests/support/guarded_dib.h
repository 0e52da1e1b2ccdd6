// A DIB of random bytes inside a buffer with random guard bytes before and
// after it, for tests that prove a routine writes exactly what it should:
// a test builds the bytes it expects (the guards as they were) and compares
// the whole buffer, so a write outside the DIB fails however narrow it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace halvora::test_support {

// `lines` lines of `lineBytes` (padding included), top-down or bottom-up.
// Pixel (x, y) is at TopLine() + y * stride + x * channels. Copies are
// independent DIBs with the same bytes.
class GuardedDib {
 public:
  static constexpr size_t kGuardBytes = 64;

  GuardedDib(std::mt19937& rng, int lines, int lineBytes, bool bottomUp);

  uint8_t* TopLine() { return bytes.data() + topIndex_; }
  // The index in `bytes` of the byte `offset` bytes from the top line's start.
  size_t IndexOf(ptrdiff_t offset) const { return static_cast<size_t>(static_cast<ptrdiff_t>(topIndex_) + offset); }
  // Where byte `index` of `bytes` lies: in a guard, or on which line of the DIB.
  std::string Where(size_t index) const;

  std::vector<uint8_t> bytes;
  ptrdiff_t stride;

 private:
  size_t topIndex_;
  size_t lineBytes_;
};

// Every byte of the buffer, guards included, as `expected` says; the first
// difference is reported with its place.
void ExpectSameBytes(const GuardedDib& dib, const std::vector<uint8_t>& expected);

}  // namespace halvora::test_support
