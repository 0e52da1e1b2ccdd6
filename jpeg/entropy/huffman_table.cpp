#include "jpeg/entropy/huffman_table.h"

#include <cstring>

#include <halvora/jpeg.h>

namespace halvora::jpeg {

namespace {

// A DHT segment may define one code more than a symbol byte can name; the
// 257th code is accepted, anything beyond is refused.
constexpr int kMaxCodes = 257;
constexpr int kMaxCodeLength = 16;

// Every window that starts with `code` decodes to `symbol` at once.
void FillLookahead(uint32_t code, int length, uint8_t symbol, HuffmanDecodeTable& table) {
  const int restBits = kLookaheadBits - length;
  for (uint32_t rest = 0; rest < (1u << restBits); ++rest) {
    table.lookahead[(code << restBits) | rest] = (static_cast<uint32_t>(length) << 8) | symbol;
  }
}

// Fills the per-length lists and the symbols from canonical codes assigned in
// increasing length (code := 0, +1 per code, doubled when the length grows).
// Refuses counts that need more codes of a length than the code space leaves.
bool AssignCodes(const uint8_t bits[16], const uint8_t* values, HuffmanDecodeTable& table) {
  uint32_t code = 0;
  int index = 0;
  for (int length = 1; length <= kMaxCodeLength; ++length) {
    const int count = bits[length - 1];
    table.first_symbol[length] = static_cast<uint16_t>(index);
    table.smallest_code[length] = static_cast<uint16_t>(code);
    if (count > 0) {
      // Over-subscribed: the codes of this length no longer fit in its bits,
      // and their lookahead entries would lie past the table.
      if (code + static_cast<uint32_t>(count) > (1u << length)) return false;
      for (int i = 0; i < count; ++i) {
        table.symbols[index + i] = values[index + i];
        if (length <= kLookaheadBits) FillLookahead(code + static_cast<uint32_t>(i), length, values[index + i], table);
      }
      code += static_cast<uint32_t>(count);
      table.largest_code[length] = static_cast<uint16_t>(code - 1);
    }
    index += count;
    code <<= 1;
  }
  return true;
}

}  // namespace

int BuildHuffmanDecodeTable(const uint8_t bits[16], const uint8_t* values, int tableClass, int identifier,
                            HuffmanDecodeTable& table) {
  table.table_class = tableClass;
  table.identifier = identifier;
  int total = 0;
  for (int length = 0; length < kMaxCodeLength; ++length) total += bits[length];
  if (total > kMaxCodes) return JpegErrBadHuffmanTable;

  std::memset(table.smallest_code, 0, sizeof table.smallest_code);
  std::memset(table.first_symbol, 0, sizeof table.first_symbol);
  for (uint16_t& largest : table.largest_code) largest = kNoCodeOfLength;
  std::memset(table.lookahead, 0, sizeof table.lookahead);
  if (!AssignCodes(bits, values, table)) return JpegErrBadHuffmanTable;
  return JpegSuccess;
}

}  // namespace halvora::jpeg
