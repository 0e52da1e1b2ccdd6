// Writing entropy-coded bits: whole bytes leave the bit buffer 32 bits at a
// time, and every 0xFF byte among them is followed by a stuffed 0x00, so
// that no byte pair of coded data reads as a marker.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "jpeg/kernels/encode_kernel_types.h"

namespace halvora::jpeg {

// Whether any byte of `word` is 0xFF: a zero byte of its complement.
inline bool HasFfByte(uint32_t word) {
  const uint32_t inverse = ~word;
  return ((inverse - 0x01010101u) & word & 0x80808080u) != 0;
}

inline uint8_t* PutByteStuffed(uint8_t* out, uint8_t byte) {
  *out++ = byte;
  if (byte == 0xFF) *out++ = 0;
  return out;
}

inline uint8_t* PutWordStuffed(uint8_t* out, uint32_t word) {
  if (!HasFfByte(word)) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(word >> 24), static_cast<uint8_t>(word >> 16),
                              static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word)};
    std::memcpy(out, bytes, 4);
    return out + 4;
  }
  for (int shift = 24; shift >= 0; shift -= 8) out = PutByteStuffed(out, static_cast<uint8_t>(word >> shift));
  return out;
}

// Appends the `length` low bits of `value` (length at most 32, value below
// 2^length).
inline uint8_t* PutBits(uint8_t* out, BitBuffer& buffer, uint32_t value, int length) {
  buffer.bits = (buffer.bits << length) | value;
  buffer.count += length;
  if (buffer.count >= 32) {
    buffer.count -= 32;
    out = PutWordStuffed(out, static_cast<uint32_t>(buffer.bits >> buffer.count));
  }
  return out;
}

// Ends the coded data of a scan or restart interval: the last byte is filled
// with 1-bits and every pending byte written.
inline uint8_t* FlushBits(uint8_t* out, BitBuffer& buffer) {
  const int fill = (8 - buffer.count % 8) % 8;
  buffer.bits = (buffer.bits << fill) | ((1u << fill) - 1);
  buffer.count += fill;
  while (buffer.count > 0) {
    buffer.count -= 8;
    out = PutByteStuffed(out, static_cast<uint8_t>(buffer.bits >> buffer.count));
  }
  buffer.bits = 0;
  return out;
}

// The magnitude category of a coefficient or difference (its bit length) and
// the bits that follow its code: the value itself when positive, its ones'
// complement when negative.
inline int MagnitudeCategory(int32_t value) {
  return std::bit_width(static_cast<uint32_t>(value < 0 ? -value : value));
}

inline uint32_t MagnitudeBits(int32_t value, int category) {
  return static_cast<uint32_t>(value < 0 ? value - 1 : value) & ((1u << category) - 1);
}

// A symbol's code followed by `length` bits of `extra` (a magnitude, a run
// length), in one write.
inline uint8_t* PutSymbol(uint8_t* out, BitBuffer& buffer, const HuffmanEncodeTable& table, int symbol,
                          uint32_t extra = 0, int length = 0) {
  return PutBits(out, buffer, (uint32_t{table.code[symbol]} << length) | extra, table.length[symbol] + length);
}

}  // namespace halvora::jpeg
