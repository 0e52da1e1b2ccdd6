#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <random>
#include <string>

#include "jpeg/kernels/idct.h"
#include "tests/jpeg/kernels/idct_reference.h"

namespace halvora::jpeg {
namespace {

struct IdctCase {
  const char* name;
  InverseDctKernel kernel;
  void (*reference)(testing::Block&);
  int size;    // samples per side
  int method;  // dct_method
};

const IdctCase kIdctCases[] = {
    {"Method1_8x8", InverseDct8x8Method1Plain, testing::ReferenceIdct8x8Method1, 8, 1},
    {"Method1_4x4", InverseDct4x4Method1Plain, testing::ReferenceIdct4x4Method1, 4, 1},
    {"Method1_2x2", InverseDct2x2Method1Plain, testing::ReferenceIdct2x2Method1, 2, 1},
    {"Method1_1x1", InverseDct1x1Method1Plain, testing::ReferenceIdct1x1Method1, 1, 1},
    {"Method0_8x8", InverseDct8x8Method0Plain, testing::ReferenceIdct8x8Method0, 8, 0},
    {"Method0_4x4", InverseDct4x4Method0Plain, testing::ReferenceIdct4x4Method0, 4, 0},
    {"Method0_2x2", InverseDct2x2Method0Plain, testing::ReferenceIdct2x2Method0, 2, 0},
    {"Method0_1x1", InverseDct1x1Method0Plain, testing::ReferenceIdct1x1Method0, 1, 0},
};

void PrintTo(const IdctCase& idct, std::ostream* os) { *os << idct.name; }

class InverseDctTest : public ::testing::TestWithParam<IdctCase> {};

CoefficientBlock DcOnly(int16_t dc) {
  CoefficientBlock block{};
  block.values[0] = dc;
  return block;
}

void ExpectFlat(const CoefficientBlock& block, int size, int expected) {
  for (int r = 0; r < size; ++r) {
    for (int c = 0; c < size; ++c) EXPECT_EQ(block.values[8 * r + c], expected) << "row " << r << " column " << c;
  }
}

TEST_P(InverseDctTest, AllZeroBlockGivesMidGrey) {
  CoefficientBlock block{};
  GetParam().kernel(block);
  ExpectFlat(block, GetParam().size, 128);
}

// Method 0 coefficients carry a factor of two over method 1, so the same
// picture has twice the DC value.
TEST_P(InverseDctTest, DcOnlyBlockIsFlat) {
  const int scale = GetParam().method == 0 ? 2 : 1;
  struct {
    int dc;
    int sample;
  } const cases[] = {{80, 138}, {-80, 118}, {1100, 255}, {-1100, 0}, {1016, 255}, {-1024, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE("dc " + std::to_string(c.dc));
    CoefficientBlock block = DcOnly(static_cast<int16_t>(c.dc * scale));
    GetParam().kernel(block);
    ExpectFlat(block, GetParam().size, c.sample);
  }
}

// Random blocks of several kinds against the reference model, entry for
// entry (the rest of the block included: method 1 must leave it alone,
// method 0 keeps its first pass there).
enum class Blocks { kModerate, kFullRange, kSparseExtreme, kColumnShortcuts, kDcAlone };

CoefficientBlock RandomBlock(std::mt19937& rng, Blocks kind) {
  std::uniform_int_distribution<int> full(-32768, 32767);
  std::uniform_int_distribution<int> moderate(-600, 600);
  std::uniform_int_distribution<int> aroundClamp(-1200, 1200);
  std::uniform_int_distribution<int> percent(0, 99);
  CoefficientBlock block{};
  for (int i = 0; i < 64; ++i) {
    switch (kind) {
      case Blocks::kModerate:
        block.values[i] = static_cast<int16_t>(percent(rng) < 40 ? moderate(rng) : 0);
        break;
      case Blocks::kFullRange:
        block.values[i] = static_cast<int16_t>(full(rng));
        break;
      case Blocks::kSparseExtreme: {
        const int pick = percent(rng);
        block.values[i] = static_cast<int16_t>(pick < 10 ? -32768 : pick < 20 ? 32767 : pick < 30 ? full(rng) : 0);
        break;
      }
      case Blocks::kColumnShortcuts:
        // Only row 0 and a few other entries: whole columns and rows of zero
        // AC terms, the case the reduced method-1 transforms take a shortcut on.
        block.values[i] = static_cast<int16_t>((i < 8 || percent(rng) < 3) ? full(rng) : 0);
        break;
      case Blocks::kDcAlone:
        // The whole-block shortcut: DC values around the clamp limits, mostly.
        block.values[i] = static_cast<int16_t>(i != 0 ? 0 : percent(rng) < 90 ? aroundClamp(rng) : full(rng));
        break;
    }
  }
  return block;
}

TEST_P(InverseDctTest, MatchesReferenceModel) {
  std::mt19937 rng(20261208);
  int compared = 0;
  for (Blocks kind :
       {Blocks::kModerate, Blocks::kFullRange, Blocks::kSparseExtreme, Blocks::kColumnShortcuts, Blocks::kDcAlone}) {
    for (int trial = 0; trial < 2500; ++trial) {
      CoefficientBlock block = RandomBlock(rng, kind);
      testing::Block expected;
      std::memcpy(expected, block.values, sizeof expected);
      GetParam().reference(expected);
      const CoefficientBlock input = block;
      GetParam().kernel(block);
      for (int i = 0; i < 64; ++i) {
        ASSERT_EQ(block.values[i], expected[i]) << "entry " << i << ", kind " << static_cast<int>(kind) << ", trial "
                                                << trial << ", input DC " << input.values[0];
      }
      ++compared;
    }
  }
  EXPECT_EQ(compared, 12500);
}

INSTANTIATE_TEST_SUITE_P(AllSizes, InverseDctTest, ::testing::ValuesIn(kIdctCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The rounding of the single-sample transforms: half a step rounds up.
TEST(InverseDct1x1Test, RoundsHalfUp) {
  struct {
    InverseDctKernel kernel;
    int dc;
    int sample;
  } const cases[] = {
      {InverseDct1x1Method1Plain, -4, 128}, {InverseDct1x1Method1Plain, -5, 127},
      {InverseDct1x1Method1Plain, 3, 128},  {InverseDct1x1Method1Plain, 4, 129},
      {InverseDct1x1Method0Plain, -8, 128}, {InverseDct1x1Method0Plain, -9, 127},
      {InverseDct1x1Method0Plain, 7, 128},  {InverseDct1x1Method0Plain, 8, 129},
  };
  for (const auto& c : cases) {
    CoefficientBlock block = DcOnly(static_cast<int16_t>(c.dc));
    c.kernel(block);
    EXPECT_EQ(block.values[0], c.sample) << "dc " << c.dc;
  }
}

// Blocks whose exact result sits on a rounding boundary of the method-1
// quarter-size transform, one per rounding constant: a constant one too small
// moves the sum below the boundary and a sample drops by one, which random
// blocks almost never show.
TEST(InverseDct2x2Test, RoundsExactlyOnTheBoundaries) {
  struct {
    const char* constant;
    int16_t dc, row1, column1;  // entries 0, 8 and 1; the rest are zero
    int samples[4];             // (0, 0), (0, 1), (1, 0), (1, 1)
  } const cases[] = {
      // Column 0 has X1 = 1024, and 1024 * 29692 + 4096 is a multiple of 8192.
      {"column pass 4096", 4, 1024, 0, {245, 245, 13, 13}},
      // Workspace row 0 holds 8192 in column 1, and its row sum plus 524288
      // is a multiple of 2^20.
      {"row pass 524288", -1024, -57, 2048, {226, 0, 238, 0}},
      // DC-only rows: (w0 + 16) >> 5 with w0 + 16 a multiple of 32.
      {"DC-only row 16", -300, 0, 0, {91, 91, 91, 91}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.constant);
    CoefficientBlock block{};
    block.values[0] = c.dc;
    block.values[8] = c.row1;
    block.values[1] = c.column1;
    InverseDct2x2Method1Plain(block);
    EXPECT_EQ(block.values[0], c.samples[0]);
    EXPECT_EQ(block.values[1], c.samples[1]);
    EXPECT_EQ(block.values[8], c.samples[2]);
    EXPECT_EQ(block.values[9], c.samples[3]);
  }
}

}  // namespace
}  // namespace halvora::jpeg
