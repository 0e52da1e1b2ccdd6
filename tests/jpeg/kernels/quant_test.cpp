#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "jpeg/kernels/quant.h"

namespace halvora::jpeg {
namespace {

// A DQT table as the parser stores it: 64 values in stream (zig-zag) order,
// in storage whose last 16 entries hold leftovers from an earlier table.
struct StoredTable {
  int32_t entries[80];
  explicit StoredTable(int32_t value) {
    std::fill(std::begin(entries), std::end(entries), -7);
    std::fill(entries, entries + 64, value);
  }
};

TEST(ZigZagTableTest, IsAPermutationPaddedWith63) {
  bool seen[64] = {};
  for (int k = 0; k < 64; ++k) {
    ASSERT_GE(kZigZagToNatural[k], 0);
    ASSERT_LT(kZigZagToNatural[k], 64);
    EXPECT_FALSE(seen[kZigZagToNatural[k]]) << k;
    seen[kZigZagToNatural[k]] = true;
  }
  for (int k = 64; k < 80; ++k) EXPECT_EQ(kZigZagToNatural[k], 63);
  // The first steps of the zig-zag walk: (0,0) (0,1) (1,0) (2,0) (1,1) (0,2).
  EXPECT_EQ(kZigZagToNatural[2], 8);
  EXPECT_EQ(kZigZagToNatural[3], 16);
  EXPECT_EQ(kZigZagToNatural[5], 2);
  EXPECT_EQ(kZigZagToNatural[63], 63);
}

TEST(PrepareQuantTableTest, Method1ReordersIntoNaturalOrder) {
  StoredTable table(0);
  for (int k = 0; k < 64; ++k) table.entries[k] = 1000 + k;
  PrepareQuantTable(table.entries, 1);
  EXPECT_EQ(table.entries[0], 1000);
  EXPECT_EQ(table.entries[1], 1001);
  EXPECT_EQ(table.entries[8], 1002);
  EXPECT_EQ(table.entries[16], 1003);
  EXPECT_EQ(table.entries[2], 1005);
  EXPECT_EQ(table.entries[63], 1063);
  for (int k = 64; k < 80; ++k) EXPECT_EQ(table.entries[k], 0) << k;
}

TEST(PrepareQuantTableTest, Method0FoldsInTheAanScaleWithEightFractionBits) {
  StoredTable ones(1);
  PrepareQuantTable(ones.entries, 0);
  EXPECT_EQ(ones.entries[0], 256);  // 0.125 x 2048 + 0.5
  EXPECT_EQ(ones.entries[1], 355);  // 0.17338 x 2048 + 0.5 = 355.58
  EXPECT_EQ(ones.entries[8], 355);
  EXPECT_EQ(ones.entries[9], 493);  // 0.240485 x 2048 + 0.5 = 493.0
  EXPECT_EQ(ones.entries[63], 19);  // 0.009515 x 2048 + 0.5 = 19.99
  for (int k = 64; k < 80; ++k) EXPECT_EQ(ones.entries[k], 0) << k;
}

// A quality-50 chroma value of 99 at (1,1) scales to 48759, and the largest
// 16-bit DQT value at DC to 65535 x 256: neither fits 16 bits, so the factors are kept whole.
TEST(PrepareQuantTableTest, Method0KeepsFactorsBeyondSixteenBits) {
  StoredTable chroma(99);
  PrepareQuantTable(chroma.entries, 0);
  EXPECT_EQ(chroma.entries[9], 48759);
  EXPECT_EQ(chroma.entries[0], 25344);

  StoredTable largest(65535);
  PrepareQuantTable(largest.entries, 0);
  EXPECT_EQ(largest.entries[0], 16776960);
}

struct DequantizeCase {
  int16_t coefficient;
  int32_t factor;
  int16_t expected;
};

TEST(DequantizeBlockTest, Method1KeepsLow16BitsOfTheProduct) {
  const DequantizeCase cases[] = {
      {3, 16, 48},         {-3, 16, -48},           {300, 200, -5536},  // 60000 wraps
      {-32768, 65535, -32768}, {32767, 65535, -32767},
      {3, 16777216, 0},  // a scaled factor left from the other method wraps, no overflow
      {-1, 48759, -48759 + 65536},
  };
  for (const auto& c : cases) {
    int32_t table[80] = {};
    std::fill(table, table + 64, c.factor);
    CoefficientBlock block{};
    std::fill(std::begin(block.values), std::end(block.values), c.coefficient);
    DequantizeBlockMethod1Plain(block, table, block);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(block.values[i], c.expected) << c.coefficient << " x " << c.factor;
  }
}

TEST(DequantizeBlockTest, Method0RoundsTheScaledProduct) {
  const DequantizeCase cases[] = {
      {1, 256, 2},       // (256 + 64) >> 7
      {-1, 355, -3},     // (-355 + 64) >> 7 = -291 >> 7, towards minus infinity
      {1, 64, 1},        // exactly half rounds up
      {-1, 64, 0},       // (-64 + 64) >> 7
      {-1, 65, -1},
      {100, 48759, -27443},  // 38093 does not fit 16 bits: its low 16 bits
      {-2048, 48759, 6288},  // the product needs more than 32 bits
      {32767, 16776960, 2},
  };
  for (const auto& c : cases) {
    int32_t table[80] = {};
    std::fill(table, table + 64, c.factor);
    CoefficientBlock block{};
    std::fill(std::begin(block.values), std::end(block.values), c.coefficient);
    DequantizeBlockMethod0Plain(block, table, block);
    const int64_t exact = (int64_t{c.coefficient} * c.factor + 64) >> 7;
    const int16_t low = static_cast<int16_t>(static_cast<uint16_t>(exact));
    ASSERT_EQ(low, c.expected) << "test case itself: " << c.coefficient << " x " << c.factor;
    for (int i = 0; i < 64; ++i) ASSERT_EQ(block.values[i], c.expected) << c.coefficient << " x " << c.factor;
  }
}

}  // namespace
}  // namespace halvora::jpeg
