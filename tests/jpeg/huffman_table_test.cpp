#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "jpeg/entropy/huffman_table.h"
#include <halvora/jpeg.h>

namespace halvora::jpeg {
namespace {

using Bits = std::array<uint8_t, 16>;

std::vector<uint8_t> Symbols(int count) {
  std::vector<uint8_t> values(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) values[i] = static_cast<uint8_t>(i * 7);
  return values;
}

int Build(const Bits& bits, HuffmanDecodeTable& table) {
  int count = 0;
  for (uint8_t b : bits) count += b;
  const std::vector<uint8_t> values = Symbols(count);
  return BuildHuffmanDecodeTable(bits.data(), values.data(), 1, 2, table);
}

struct CountsCase {
  const char* name;
  Bits bits;
  int expected;
};

class HuffmanCountsTest : public ::testing::TestWithParam<CountsCase> {};

TEST_P(HuffmanCountsTest, RefusesTablesThatDoNotFit) {
  HuffmanDecodeTable table{};
  EXPECT_EQ(Build(GetParam().bits, table), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, HuffmanCountsTest,
    ::testing::Values(CountsCase{"Codes257", {0, 0, 0, 0, 0, 0, 0, 0, 255, 2}, JpegSuccess},
                      CountsCase{"Codes258", {0, 0, 0, 0, 0, 0, 0, 0, 255, 3}, JpegErrBadHuffmanTable},
                      CountsCase{"FullOneBitCode", {2}, JpegSuccess},
                      CountsCase{"ThreeOneBitCodes", {3}, JpegErrBadHuffmanTable},
                      CountsCase{"OverSubscribedAtLength8", {0, 0, 0, 0, 0, 0, 128, 1}, JpegErrBadHuffmanTable},
                      CountsCase{"Empty", {}, JpegSuccess},
                      CountsCase{"CompleteAtLength16", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2},
                                 JpegSuccess},
                      CountsCase{"OverSubscribedAtLength16", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 3},
                                 JpegErrBadHuffmanTable}),
    [](const ::testing::TestParamInfo<CountsCase>& info) { return std::string(info.param.name); });

// The luminance DC table: lengths 2, 3 (five codes), 4 ... 9.
TEST(HuffmanTableTest, BuildsCanonicalCodesAndLookahead) {
  const uint8_t bits[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
  const uint8_t values[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  HuffmanDecodeTable table{};
  ASSERT_EQ(BuildHuffmanDecodeTable(bits, values, 0, 1, table), JpegSuccess);
  EXPECT_EQ(table.table_class, 0);
  EXPECT_EQ(table.identifier, 1);
  struct Window {
    uint32_t bits;  // 9 bits
    int symbol;
    int length;
  };
  for (const Window& w : {Window{0x000, 0, 2}, Window{0x07F, 0, 2},  // 00: category 0
                          Window{0x080, 1, 3}, Window{0x1AC, 5, 3},  // 010, 110
                          Window{0x1C0, 6, 4},                       // 1110
                          Window{0x1FD, 10, 8},                      // 11111110
                          Window{0x1FE, 11, 9},                      // 111111110
                          Window{0x1FF, 0, 0}}) {                    // no code
    SCOPED_TRACE(w.bits);
    const uint32_t entry = table.lookahead[w.bits];
    EXPECT_EQ(LookaheadCodeLength(entry), w.length);
    if (w.length != 0) {
      EXPECT_EQ(LookaheadSymbol(entry), w.symbol);
    }
  }
  EXPECT_EQ(table.largest_code[1], kNoCodeOfLength);
  EXPECT_EQ(table.smallest_code[3], 2);
  EXPECT_EQ(table.largest_code[3], 6);
  EXPECT_EQ(table.first_symbol[3], 1);
  EXPECT_EQ(table.smallest_code[9], 510);
  EXPECT_EQ(table.largest_code[9], 510);
  EXPECT_EQ(table.first_symbol[9], 11);
  EXPECT_EQ(table.largest_code[17], kNoCodeOfLength);
  EXPECT_EQ(table.symbols[11], 11);
}

TEST(HuffmanTableTest, KeepsTheSymbolOfA257thCode) {
  const Bits bits = {0, 0, 0, 0, 0, 0, 0, 0, 255, 2};
  std::vector<uint8_t> values = Symbols(257);
  values[256] = 0xAB;
  HuffmanDecodeTable table{};
  ASSERT_EQ(BuildHuffmanDecodeTable(bits.data(), values.data(), 1, 0, table), JpegSuccess);
  EXPECT_EQ(table.symbols[256], 0xAB);
  EXPECT_EQ(table.first_symbol[10], 255);
  EXPECT_EQ(table.largest_code[10], 511);
}

}  // namespace
}  // namespace halvora::jpeg
