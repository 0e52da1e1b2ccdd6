// The bit reader of entropy-coded data and Huffman symbol decoding.
#pragma once

#include <cstdint>

#include "jpeg/huffman_table.h"
#include "jpeg/jpeg_state.h"

namespace halvora::jpeg {

// A bit read met a marker before enough bits were available. Not an error:
// the block being decoded ends early and the scan goes on.
inline constexpr int kMarkerReached = 100;

// Tops the accumulator up to 25 bits or more, stopping at a marker (which
// becomes pending). 0, kMarkerReached when fewer than `need` bits are left
// before a marker, or a negative code (file errors, -21 for a buffer that
// ends right after 0xFF). A buffer source that has ended adds no bits and
// answers 0: the missing bits then read as 0.
int FillBits(JpegStream& stream, int need);

// The next `count` bits (at most 16), taken or only looked at. Bits past the
// end of the data read as 0.
uint32_t GetBits(JpegStream& stream, int count);
uint32_t PeekBits(const JpegStream& stream, int count);

// Decodes one Huffman symbol: 0, kMarkerReached or a negative code.
int DecodeHuffman(JpegStream& stream, const HuffmanDecodeTable& table, int& symbol);
// The bit-by-bit search, starting with a code of `length` bits. A pattern
// that matches no code of up to 16 bits decodes as symbol 0.
int DecodeHuffmanSlow(JpegStream& stream, const HuffmanDecodeTable& table, int& symbol, int length);

// T.81 EXTEND: the signed value of `bits` received for magnitude category
// `category` (0 to 15).
inline int32_t ExtendReceived(uint32_t bits, int category) {
  if (category == 0) return 0;
  const int32_t value = static_cast<int32_t>(bits);
  return value < (1 << (category - 1)) ? value - (1 << category) + 1 : value;
}

}  // namespace halvora::jpeg
