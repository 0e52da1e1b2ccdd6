// The bit accumulator of entropy-coded data as a block decoder holds it in
// locals, and the fill that needs no byte-by-byte care.
#pragma once

#include <cstdint>

#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

// A fill tops the accumulator up to at least this many bits (at most 32).
inline constexpr int kFillTarget = 56;

// The fill FillBits makes, done in one step when nothing needs care: no
// marker pending, at least 8 bytes left in the buffer, and no 0xFF among the
// bytes the fill takes. Takes exactly the bytes FillBits would take, so where
// the data ends, a marker is met or a file is read again stays the same.
// False (nothing taken) when the bytes need the careful fill.
inline bool FillWithoutMarkers(JpegStream& stream, uint64_t& accumulator, int32_t& bitCount) {
  if (bitCount < 0 || bitCount >= kFillTarget || stream.pending_marker != 0 || stream.remaining < 8) return false;
  const uint8_t* bytes = stream.position;
  // Spelled out byte by byte so that compilers make it one load and a swap.
  const uint64_t word = (uint64_t{bytes[0]} << 56) | (uint64_t{bytes[1]} << 48) | (uint64_t{bytes[2]} << 40) |
                        (uint64_t{bytes[3]} << 32) | (uint64_t{bytes[4]} << 24) | (uint64_t{bytes[5]} << 16) |
                        (uint64_t{bytes[6]} << 8) | uint64_t{bytes[7]};
  const int count = (kFillTarget + 7 - bitCount) >> 3;  // 1 to 7 bytes
  const int unusedBits = 64 - 8 * count;
  const uint64_t kept = word & (~uint64_t{0} << unusedBits);
  // A byte of `kept` is 0xFF exactly when the same byte of ~kept is zero.
  const uint64_t inverted = ~kept;
  if (((inverted - 0x0101010101010101ull) & ~inverted & 0x8080808080808080ull) != 0) return false;
  accumulator = (accumulator << (8 * count)) | (kept >> unusedBits);
  bitCount += 8 * count;
  stream.position += count;
  stream.consumed += count;
  stream.remaining -= count;
  return true;
}

// The stream's accumulator and bit count, copied in and written back.
struct BitWindow {
  explicit BitWindow(const JpegStream& stream) : accumulator(stream.accumulator), bit_count(stream.bit_count) {}
  void Load(const JpegStream& stream) {
    accumulator = stream.accumulator;
    bit_count = stream.bit_count;
  }
  void Store(JpegStream& stream) const {
    stream.accumulator = accumulator;
    stream.bit_count = bit_count;
  }
  bool Fill(JpegStream& stream) { return FillWithoutMarkers(stream, accumulator, bit_count); }
  // The next `count` bits (1 to 16); at least `count` bits are held.
  uint32_t Peek(int count) const {
    return static_cast<uint32_t>(accumulator >> (bit_count - count)) & ((1u << count) - 1);
  }
  uint32_t Take(int count) {
    bit_count -= count;
    return static_cast<uint32_t>(accumulator >> bit_count) & ((1u << count) - 1);
  }

  uint64_t accumulator;
  int32_t bit_count;
};

}  // namespace halvora::jpeg
