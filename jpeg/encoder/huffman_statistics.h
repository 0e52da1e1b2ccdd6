// Huffman tables made for the image: how often each symbol is coded, and
// the code lengths that make the coded data shortest, at most 16 bits long.
#pragma once

#include <cstdint>

#include "jpeg/encoder/huffman_tables.h"
#include "jpeg/kernels/kernel_types.h"

namespace halvora::jpeg {

// How often each of the 256 symbols of one table is coded.
struct SymbolCounts {
  uint64_t counts[256];
};

// Counts the symbols EncodeBlockPlain would code for `block`, and moves the
// DC prediction on as it does.
void CountBlockSymbols(const CoefficientBlock& block, int16_t& lastDc, SymbolCounts& dc, SymbolCounts& ac);

// The table whose code lengths are optimal for `counts` under two limits: no
// code is longer than 16 bits, and no code is all 1-bits (a code point is
// kept back for that, as if one more symbol were coded once). Symbols never
// coded get no code; a table of no symbols at all still gets one code, so
// that its DHT segment is well formed.
HuffmanSpec OptimalHuffmanSpec(const SymbolCounts& counts);

}  // namespace halvora::jpeg
