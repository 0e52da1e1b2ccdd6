// The encoder's Huffman tables: the example tables of the JPEG standard, and
// the code of every symbol made from a table in DHT form.
#pragma once

#include <cstdint>

#include "jpeg/kernels/encode_kernel_types.h"

namespace halvora::jpeg {

// A Huffman table as a DHT segment carries it: how many codes of each
// length (1 to 16 bits), then the symbols in the order of their codes.
struct HuffmanSpec {
  uint8_t bits[16];
  uint8_t values[256];
  int32_t count;  // symbols, the sum of bits
};

// The example tables: DC and AC, of luminance (table 0) and chrominance
// (table 1).
const HuffmanSpec& ExampleDcTable(int table);
const HuffmanSpec& ExampleAcTable(int table);

// The codes of `spec` by symbol: codes of each length counted up from the
// last code of the length before, shifted left by one (canonical codes).
HuffmanEncodeTable MakeEncodeTable(const HuffmanSpec& spec);

}  // namespace halvora::jpeg
