// Huffman decoding tables built from DHT segments (or from tables a caller
// supplies), in the form the block decoders read.
#pragma once

#include <cstdint>

namespace halvora::jpeg {

struct HuffmanDecodeTable {
  int32_t table_class;  // 0 DC, 1 AC
  int32_t identifier;   // 0 to 3
  // Indexed by the next 8 bits of the stream: low 16 bits the symbol, high
  // 16 bits the code length (1 to 8); length 0 means a longer code.
  uint32_t lookahead[256];
  // HUFFVAL in DHT order. One more than 256: a table may carry 257 codes,
  // and the last of them must decode to its own symbol.
  uint16_t symbols[257];
  uint16_t smallest_code[17];    // by code length; index 0 unused
  uint16_t largest_code[18];     // by code length; 0xFFFF: no code of that length
  uint16_t first_symbol[17];     // index into symbols of the first code of a length
};

inline constexpr uint16_t kNoCodeOfLength = 0xFFFF;

// Builds `table` from the 16 code-length counts `bits` and the symbols
// `values` (as many as the counts add up to). 0, or -6 when the counts
// describe more codes than a table holds or more than the code space allows.
int BuildHuffmanDecodeTable(const uint8_t bits[16], const uint8_t* values, int tableClass, int identifier,
                            HuffmanDecodeTable& table);

}  // namespace halvora::jpeg
