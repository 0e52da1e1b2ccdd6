#include "jpeg/kernels/color_pass.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "jpeg/jpeg.h"
#include "tests/jpeg/kernels/component_reference.h"
#include "tests/jpeg/kernels/guarded_dib.h"

namespace halvora::jpeg {
namespace {

using testing::GuardedDib;

// The final pass over a DIB of 10 x 7 pixels (the region as held, or the
// whole image): which rows and pixels it converts, and how.
struct PassCase {
  const char* name;
  int dibColor, jpegColor, channels;
  PixelRect region;
  bool bottomUp;
  int rows, columns;  // the part of the DIB that must be converted
};

constexpr int kWidth = 10, kHeight = 7;

const PassCase kPassCases[] = {
    {"WholeBgr", JpegColorBgr, JpegColorYCbCr, 3, {0, 0, 0, 0}, false, 7, 10},
    {"WholeRgbBottomUp", JpegColorRgb, JpegColorYCbCr, 3, {0, 0, 0, 0}, true, 7, 10},
    {"RegionAsHeld", JpegColorBgr, JpegColorYCbCr, 3, {4, 2, 14, 9}, false, 7, 10},
    {"RegionNarrowerThanDib", JpegColorBgr, JpegColorYCbCr, 3, {4, 2, 10, 6}, true, 4, 6},
    {"RegionTallerThanDibIsClamped", JpegColorBgr, JpegColorYCbCr, 3, {0, 0, 10, 50}, false, 7, 10},
    {"RegionWiderThanDibIsClamped", JpegColorRgb, JpegColorYCbCr, 3, {3, 1, 400, 8}, true, 7, 10},
    {"TopEqualsBottomMeansAllRows", JpegColorBgr, JpegColorYCbCr, 3, {2, 6, 8, 6}, false, 7, 6},
    {"LeftEqualsRightMeansWholeLines", JpegColorBgr, JpegColorYCbCr, 3, {5, 1, 5, 4}, false, 3, 10},
    {"InvertedRegionConvertsNothing", JpegColorBgr, JpegColorYCbCr, 3, {8, 5, 2, 1}, false, 0, 0},
    {"RgbaGetsOpaqueFourthByte", JpegColorRgba, JpegColorYCbCr, 4, {0, 0, 0, 0}, true, 7, 10},
    {"RgbaYcckIsComplemented", JpegColorRgba, JpegColorYCbCrAlpha, 4, {0, 0, 0, 0}, false, 7, 10},
    {"FourByteRgbOfOtherDataStays", JpegColorRgb, JpegColorOther, 4, {0, 0, 0, 0}, false, 0, 0},
    {"YccDibStays", JpegColorYCbCr, JpegColorYCbCr, 3, {0, 0, 0, 0}, false, 0, 0},
    {"GreyDibStays", JpegColorGrey, JpegColorYCbCr, 1, {0, 0, 0, 0}, false, 0, 0},
    {"TwoByteBgrStays", JpegColorBgr, JpegColorYCbCr, 2, {0, 0, 0, 0}, false, 0, 0},
    {"OneByteRgbaStays", JpegColorRgba, JpegColorYCbCrAlpha, 1, {0, 0, 0, 0}, true, 0, 0},
};

void PrintTo(const PassCase& c, std::ostream* os) { *os << c.name; }

class ConvertDibTest : public ::testing::TestWithParam<PassCase> {};

TEST_P(ConvertDibTest, ConvertsExactlyTheClampedRegion) {
  const PassCase& c = GetParam();
  std::mt19937 rng(8);
  const int lineBytes = kWidth * c.channels + 5;
  GuardedDib dib(rng, kHeight, lineBytes, c.bottomUp);
  std::vector<uint8_t> expected = dib.bytes;
  for (int y = 0; y < c.rows; ++y) {
    for (int x = 0; x < c.columns; ++x) {
      testing::ModelConvertPixel(&expected[dib.IndexOf(y * dib.stride + x * c.channels)], c.channels, c.dibColor,
                                 c.jpegColor, true);
    }
  }
  // The model must change something wherever the case expects a conversion.
  if (c.rows > 0) {
    ASSERT_TRUE(expected != dib.bytes);
  }
  ConvertDibInPlace({dib.topLine, dib.stride, kWidth, c.bottomUp ? -kHeight : kHeight, c.channels}, c.region,
                    c.dibColor, c.jpegColor);
  testing::ExpectSameBytes(dib.bytes, expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ConvertDibTest, ::testing::ValuesIn(kPassCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The generic green form, pinned on values where it differs from the fused one.
TEST(ConvertMcuPixelsTest, UsesTheGenericGreenForm) {
  struct {
    uint8_t y, cb, cr;
    uint8_t r, g, b;
  } const cases[] = {
      {128, 128, 128, 128, 128, 128},  // 118 >> 8 = 0 (fused: 129)
      {255, 128, 255, 255, 164, 255},  // red clamped from 255 + 178
      {0, 0, 128, 0, 44, 0},           // blue clamped from -227
      {100, 90, 200, 201, 62, 33},
  };
  for (const auto& c : cases) {
    uint8_t pixel[3] = {c.y, c.cb, c.cr};
    ConvertMcuPixels({pixel, 0, 0, 3, {0, 0, 1, 1}}, JpegColorRgb, JpegColorYCbCr);
    EXPECT_EQ(pixel[0], c.r) << int{c.y} << " " << int{c.cb} << " " << int{c.cr};
    EXPECT_EQ(pixel[1], c.g) << int{c.y} << " " << int{c.cb} << " " << int{c.cr};
    EXPECT_EQ(pixel[2], c.b) << int{c.y} << " " << int{c.cb} << " " << int{c.cr};
  }
}

}  // namespace
}  // namespace halvora::jpeg
