// Huffman decoding tables built from DHT segments (or from tables a caller
// supplies), in the form the block decoders read.
#pragma once

#include <cstdint>

namespace halvora::jpeg {

struct AcSkipTable;

// The lookahead table is indexed by the next 9 bits of the stream.
inline constexpr int kLookaheadBits = 9;

struct HuffmanDecodeTable {
  int32_t table_class;  // 0 DC, 1 AC
  int32_t identifier;   // 0 to 3
  // One entry per 9-bit window (fields read by the Lookahead* functions
  // below): the symbol and code length of the code the window starts with
  // (length 0: a longer code, or none). The magnitude bits are taken apart
  // from the code: entries that also carried them, and so decided per
  // coefficient between two ways on, decoded slower.
  uint32_t lookahead[1 << kLookaheadBits];
  // HUFFVAL in DHT order. One more than 256: a table may carry 257 codes,
  // and the last of them must decode to its own symbol.
  uint8_t symbols[257];
  uint16_t smallest_code[17];    // by code length; index 0 unused
  uint16_t largest_code[18];     // by code length; 0xFFFF: no code of that length
  uint16_t first_symbol[17];     // index into symbols of the first code of a length
  // While a scan that passes AC codes over runs, its skip table for this
  // table (ac_skip_table.h); none otherwise.
  const AcSkipTable* skip = nullptr;
};

inline constexpr uint16_t kNoCodeOfLength = 0xFFFF;

inline int LookaheadSymbol(uint32_t entry) { return static_cast<int>(entry & 0xFF); }
inline int LookaheadCodeLength(uint32_t entry) { return static_cast<int>((entry >> 8) & 15); }

// EXTEND: the signed value of the bits received for a magnitude category.
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

// Builds `table` from the 16 code-length counts `bits` and the symbols
// `values` (as many as the counts add up to). 0, or -6 when the counts
// describe more codes than a table holds or more than the code space allows.
int BuildHuffmanDecodeTable(const uint8_t bits[16], const uint8_t* values, int tableClass, int identifier,
                            HuffmanDecodeTable& table);

}  // namespace halvora::jpeg
