#include "jpeg/kernels/color_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include <halvora/jpeg.h>
#include "tests/jpeg/kernels/component_reference.h"
#include "tests/support/guarded_dib.h"

namespace halvora::jpeg {
namespace {

using test_support::GuardedDib;

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
  ConvertDibInPlace({dib.TopLine(), dib.stride, kWidth, c.bottomUp ? -kHeight : kHeight, c.channels}, c.region,
                    c.dibColor, c.jpegColor);
  test_support::ExpectSameBytes(dib, expected);
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


// The row form the per-component output converts with, over every Y, Cb, Cr
// triple: a row of 256 pixels per (Y, Cb) pair, Cr running 0..255, each
// pixel as the model converts it in place, and the fourth byte of a wide
// pixel left alone. Wide forms are checked on every 17th luminance value.
TEST(ConvertMcuRowTest, EqualsThePerPixelConversionForEveryTriple) {
  struct Form {
    const char* name;
    int dibColor, jpegColor, channels, yStep;
  } const forms[] = {
      {"BGR", JpegColorBgr, JpegColorYCbCr, 3, 1},
      {"RGB", JpegColorRgb, JpegColorYCbCr, 3, 17},
      {"RGBA of YCbCr", JpegColorRgba, JpegColorYCbCr, 4, 17},
      {"RGBA of YCCK", JpegColorRgba, JpegColorYCbCrAlpha, 4, 17},
  };
  uint8_t ys[256], cbs[256], crs[256];
  for (int i = 0; i < 256; ++i) crs[i] = static_cast<uint8_t>(i);
  for (const Form& form : forms) {
    SCOPED_TRACE(form.name);
    ASSERT_TRUE(ConvertsMcuPixels(form.channels, form.dibColor, form.jpegColor));
    std::vector<uint8_t> row(256 * size_t(form.channels)), expected(row.size());
    for (int y = 0; y < 256; y += form.yStep) {
      for (int cb = 0; cb < 256; ++cb) {
        std::fill(ys, ys + 256, static_cast<uint8_t>(y));
        std::fill(cbs, cbs + 256, static_cast<uint8_t>(cb));
        for (int i = 0; i < 256; ++i) {
          uint8_t* pixel = &expected[size_t(i) * form.channels];
          pixel[0] = ys[i], pixel[1] = cbs[i], pixel[2] = crs[i];
          if (form.channels == 4) pixel[3] = 0x5A;
          testing::ModelConvertPixel(pixel, form.channels, form.dibColor, form.jpegColor, false);
        }
        std::fill(row.begin(), row.end(), 0x5A);
        ConvertMcuRow(ys, cbs, crs, 256, row.data(), form.channels, form.dibColor, form.jpegColor);
        ASSERT_TRUE(row == expected) << "Y " << y << " Cb " << cb;
      }
    }
  }
}

// Rows of every length up to a few chunks, in place (ConvertMcuPixels) and
// from separate rows (ConvertMcuRow): the pixels asked for, none beyond.
TEST(ConvertMcuRowTest, EveryRowLengthConvertsExactlyItsPixels) {
  std::mt19937 rng(21);
  std::uniform_int_distribution<int> byte(0, 255);
  auto randomBytes = [&](size_t size) {
    std::vector<uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<uint8_t>(byte(rng));
    return bytes;
  };
  for (int channels : {3, 4}) {
    for (int count = 0; count <= 40; ++count) {
      SCOPED_TRACE("channels " + std::to_string(channels) + ", count " + std::to_string(count));
      // The row starts one pixel into the DIB; the guards catch a write past either end.
      const GuardedDib before(rng, 1, (count + 1) * channels, false);
      const std::vector<uint8_t> ys = randomBytes(size_t(count)), cbs = randomBytes(ys.size()),
                                 crs = randomBytes(ys.size());
      GuardedDib inPlace = before, fromRows = before;
      std::vector<uint8_t> expectedInPlace = before.bytes, expectedFromRows = before.bytes;
      for (int i = 0; i < count; ++i) {
        const size_t at = before.IndexOf((i + 1) * channels);
        testing::ModelConvertPixel(&expectedInPlace[at], channels, JpegColorRgba, JpegColorYCbCr, false);
        expectedFromRows[at] = ys[size_t(i)], expectedFromRows[at + 1] = cbs[size_t(i)];
        expectedFromRows[at + 2] = crs[size_t(i)];
        testing::ModelConvertPixel(&expectedFromRows[at], channels, JpegColorRgba, JpegColorYCbCr, false);
      }
      ConvertMcuPixels({inPlace.TopLine(), channels, 0, channels, {0, 0, count, 1}}, JpegColorRgba, JpegColorYCbCr);
      ConvertMcuRow(ys.data(), cbs.data(), crs.data(), count, fromRows.TopLine() + channels, channels, JpegColorRgba,
                    JpegColorYCbCr);
      test_support::ExpectSameBytes(inPlace, expectedInPlace);
      test_support::ExpectSameBytes(fromRows, expectedFromRows);
    }
  }
}

}  // namespace
}  // namespace halvora::jpeg
