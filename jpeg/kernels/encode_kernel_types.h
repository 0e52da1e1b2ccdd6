// Data the encoder's kernels work on, shared by every kernel variant (plain
// and packed).
#pragma once

#include <cstddef>
#include <cstdint>

#include "jpeg/kernels/kernel_types.h"

namespace halvora::jpeg {

// A quantisation table prepared for the forward transform, in natural order.
// The transform leaves each coefficient c with 4 fraction bits, so it is
// divided by d = 16 x the table's value, rounding to nearest: with
// n = |c| + half, the quotient is ((n x reciprocal) >> 16) x scale >> 16,
// which equals n / d (rounded down) exactly for every n below 2^15.
struct ForwardQuantTable {
  alignas(32) uint16_t reciprocal[64];
  alignas(32) uint16_t half[64];
  alignas(32) uint16_t scale[64];
};

// Transforms and quantises `count` blocks that lie side by side: block i
// takes the 8 x 8 samples at samples + 8 i, rows `stride` bytes apart, and
// becomes blocks[i], quantised coefficients in natural order.
using ForwardDctKernel = void (*)(const uint8_t* samples, ptrdiff_t stride, int32_t count,
                                  const ForwardQuantTable& table, CoefficientBlock* blocks);

// Converts the `count` pixels of one DIB line into component samples: sample
// i of component k goes to rows[k][i].
using DibConvertKernel = void (*)(const uint8_t* pixels, int32_t count, uint8_t* const* rows);

// Halves a component's resolution by averaging: `count` output samples from
// 2 x count samples of `upper` (and of `lower`, when the vertical resolution
// is halved too). The rounding bias alternates from sample to sample, so
// that halves are rounded up and down alike.
using DownsampleKernel = void (*)(const uint8_t* upper, const uint8_t* lower, int32_t count, uint8_t* out);

// Bits not yet written as whole bytes: the low `count` bits of `bits`,
// first bit highest. `count` stays below 32 between writes.
struct BitBuffer {
  uint64_t bits;
  int32_t count;
};

// Code and code length of each symbol of a Huffman table; length 0 for a
// symbol the table does not code.
struct HuffmanEncodeTable {
  uint16_t code[256];
  uint8_t length[256];
};

// The AC symbols that carry no coefficient: the end of the block (in a
// progressive scan, a run of one block) and a run of 16 zeros.
inline constexpr int kEndOfBlockSymbol = 0x00;
inline constexpr int kZeroRunSymbol = 0xF0;

// Huffman-codes one block of a sequential scan at `out` (which has room for
// the most a block can take) and returns the end of what it wrote. `lastDc`
// is the component's DC prediction, replaced by the block's DC.
using EncodeBlockKernel = uint8_t* (*)(uint8_t* out, BitBuffer& bits, const CoefficientBlock& block, int16_t& lastDc,
                                       const HuffmanEncodeTable& dc, const HuffmanEncodeTable& ac);

}  // namespace halvora::jpeg
