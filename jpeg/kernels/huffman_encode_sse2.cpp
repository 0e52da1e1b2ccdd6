// Huffman coding of one block with the nonzero coefficients found by packed
// compares: a 64-bit mask of them in natural order, reordered into zig-zag
// order a byte at a time through tables, is walked bit by bit, so the coding
// loop visits only coefficients that are coded. Codes and values are put
// exactly as EncodeBlockPlain puts them.
#include <emmintrin.h>

#include <array>
#include <bit>

#include "jpeg/encoder/bit_writer.h"
#include "jpeg/kernels/huffman_encode.h"

namespace halvora::jpeg {

namespace {

// Zig-zag position of each natural index.
constexpr std::array<uint8_t, 64> kNaturalToZigZag = {0,  1,  5,  6,  14, 15, 27, 28, 2,  4,  7,  13, 16, 26, 29, 42,
                                                      3,  8,  12, 17, 25, 30, 41, 43, 9,  11, 18, 24, 31, 40, 44, 53,
                                                      10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38, 46, 51, 55, 60,
                                                      21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63};

// For byte j of a natural-order mask (indexes 8 j to 8 j + 7), the zig-zag
// mask of each of its 256 values.
using ZigZagTables = std::array<std::array<uint64_t, 256>, 8>;

constexpr ZigZagTables MakeZigZagTables() {
  ZigZagTables tables{};
  for (int j = 0; j < 8; ++j) {
    for (int value = 0; value < 256; ++value) {
      uint64_t mask = 0;
      for (int bit = 0; bit < 8; ++bit) {
        if ((value >> bit) & 1) mask |= uint64_t{1} << kNaturalToZigZag[8 * j + bit];
      }
      tables[j][value] = mask;
    }
  }
  return tables;
}

constexpr ZigZagTables kZigZagTables = MakeZigZagTables();

// Bit k set for each coefficient at zig-zag position k that is not zero.
uint64_t NonzeroInZigZagOrder(const CoefficientBlock& block) {
  const __m128i zero = _mm_setzero_si128();
  uint64_t natural = 0;
  for (int i = 0; i < 4; ++i) {
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block.values + 16 * i));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block.values + 16 * i + 8));
    const __m128i zeros = _mm_packs_epi16(_mm_cmpeq_epi16(first, zero), _mm_cmpeq_epi16(second, zero));
    natural |= uint64_t{static_cast<uint16_t>(~_mm_movemask_epi8(zeros))} << (16 * i);
  }
  uint64_t zigzag = 0;
  for (int j = 0; j < 8; ++j) zigzag |= kZigZagTables[j][(natural >> (8 * j)) & 0xFF];
  return zigzag;
}

}  // namespace

uint8_t* EncodeBlockSse2(uint8_t* out, BitBuffer& bits, const CoefficientBlock& block, int16_t& lastDc,
                         const HuffmanEncodeTable& dc, const HuffmanEncodeTable& ac) {
  const int32_t difference = block.values[0] - lastDc;
  lastDc = block.values[0];
  const int dcCategory = MagnitudeCategory(difference);
  out = PutSymbol(out, bits, dc, dcCategory, MagnitudeBits(difference, dcCategory), dcCategory);
  uint64_t nonzero = NonzeroInZigZagOrder(block) & ~uint64_t{1};
  int last = 0;
  while (nonzero != 0) {
    const int k = std::countr_zero(nonzero);
    nonzero &= nonzero - 1;
    int run = k - last - 1;
    for (; run > 15; run -= 16) out = PutSymbol(out, bits, ac, kZeroRunSymbol);
    const int32_t value = block.values[kZigZagToNatural[k]];
    const int category = MagnitudeCategory(value);
    out = PutSymbol(out, bits, ac, (run << 4) | category, MagnitudeBits(value, category), category);
    last = k;
  }
  if (last != 63) out = PutSymbol(out, bits, ac, kEndOfBlockSymbol);
  return out;
}

}  // namespace halvora::jpeg
