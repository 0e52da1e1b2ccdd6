// The bit reader of entropy-coded data and Huffman symbol decoding.
#pragma once

#include <cstdint>

#include "jpeg/entropy/huffman_table.h"
#include "jpeg/entropy/huffman_table.h"
#include "jpeg/interface/private_state.h"

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

// A symbol is decoded from the lookahead once this many bits are held;
// below it the decoder fills first, and at the end of the data searches bit
// by bit. Block decoders that keep the bits in locals use the same floor, so
// that damaged data ends every block in the same place.
inline constexpr int kDecodeFloorBits = 8;

// Whether the entropy-coded data of the scan is used up: no bit is held and
// the bytes end at a marker (or the file has ended). A block decoder then
// reads nothing and changes no coefficient until a restart boundary takes the
// marker. When no bit is held the bytes ahead are filled first, exactly as
// the next block would fill them.
bool DataRanOut(JpegStream& stream);

// Decodes one Huffman symbol: 0, kMarkerReached or a negative code.
int DecodeHuffman(JpegStream& stream, const HuffmanDecodeTable& table, int& symbol);
// The bit-by-bit search, starting with a code of `length` bits. A pattern
// that matches no code of up to 16 bits decodes as symbol 0.
int DecodeHuffmanSlow(JpegStream& stream, const HuffmanDecodeTable& table, int& symbol, int length);

}  // namespace halvora::jpeg
