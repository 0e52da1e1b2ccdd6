#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include <halvora/jpeg.h>
#include "jpeg/kernels/clip_mcu.h"
#include "jpeg/kernels/color_output.h"
#include "jpeg/kernels/color_pass.h"
#include "tests/jpeg/kernels/output_reference.h"
#include "tests/support/guarded_dib.h"

namespace halvora::jpeg {
namespace {

using test_support::ExpectSameBytes;
using test_support::GuardedDib;
using testing::McuShape;
using testing::PixelKind;

constexpr McuShape k444{1, 1};
constexpr McuShape k422{2, 1};
constexpr McuShape k420{2, 2};

struct OutputCase {
  const char* name;
  McuOutputKernel kernel;
  McuShape shape;
  PixelKind kind;
};

// Output paths by number, then the grey copy.
const OutputCase kOutputCases[] = {
    {"Path1_444Rgb", OutputMcu444RgbPlain, k444, PixelKind::kRgb},
    {"Path2_444Bgr", OutputMcu444BgrPlain, k444, PixelKind::kBgr},
    {"Path3_420Rgb", OutputMcu420RgbPlain, k420, PixelKind::kRgb},
    {"Path4_420Bgr", OutputMcu420BgrPlain, k420, PixelKind::kBgr},
    {"Path5_422Rgb", OutputMcu422RgbPlain, k422, PixelKind::kRgb},
    {"Path6_422Bgr", OutputMcu422BgrPlain, k422, PixelKind::kBgr},
    {"Path7_444Rgba", OutputMcu444RgbaPlain, k444, PixelKind::kRgba},
    {"Path8_420Rgba", OutputMcu420RgbaPlain, k420, PixelKind::kRgba},
    {"Path9_422Rgba", OutputMcu422RgbaPlain, k422, PixelKind::kRgba},
    {"Path10_444Ycck", OutputMcu444YcckPlain, k444, PixelKind::kYcck},
    {"Path11_420Ycck", OutputMcu420YcckPlain, k420, PixelKind::kYcck},
    {"Path12_422Ycck", OutputMcu422YcckPlain, k422, PixelKind::kYcck},
    {"Path13_444CopyAlpha", CopyMcu444AlphaPlain, k444, PixelKind::kCopyAlpha},
    {"Path14_FourChannelCopy", CopyMcu4444Plain, k444, PixelKind::kCopy4},
    {"Path15_444Copy", CopyMcu444Plain, k444, PixelKind::kCopy3},
    {"Path16_420Copy", CopyMcu420Plain, k420, PixelKind::kCopy3},
    {"Path17_422Copy", CopyMcu422Plain, k422, PixelKind::kCopy3},
    {"Path19_PackedYcc422", OutputMcuPackedYcc422Plain, k422, PixelKind::kPackedYcc},
    {"GreyCopy", CopyMcuGreyPlain, k444, PixelKind::kGrey},
};

void PrintTo(const OutputCase& c, std::ostream* os) { *os << c.name; }

McuBuffer RandomMcu(std::mt19937& rng) {
  std::uniform_int_distribution<int> sample(0, 255);
  McuBuffer mcu;
  for (auto& block : mcu.blocks) {
    for (auto& value : block.values) value = static_cast<int16_t>(sample(rng));
  }
  return mcu;
}

McuBuffer FlatMcu(std::initializer_list<int> blockValues) {
  McuBuffer mcu{};
  int b = 0;
  for (int value : blockValues) std::fill(std::begin(mcu.blocks[b].values), std::end(mcu.blocks[b].values), value), ++b;
  return mcu;
}

// The bytes a routine must leave: the DIB as it was, with the model's bytes
// at every visible pixel of the target.
std::vector<uint8_t> Expected(const GuardedDib& dib, const McuTarget& target,
                              const std::function<void(int, int, uint8_t*)>& model) {
  std::vector<uint8_t> expected = dib.bytes;
  for (int row = target.visible.top; row < target.visible.bottom; ++row) {
    for (int column = target.visible.left; column < target.visible.right; ++column) {
      model(row, column, &expected[dib.IndexOf(target.topLeft + row * target.lineBytes + column * target.channels)]);
    }
  }
  return expected;
}

class McuOutputTest : public ::testing::TestWithParam<OutputCase> {};

// Random MCUs at random places of a DIB (partly outside it), with the whole
// MCU or a random part of what lies inside visible: every visible pixel as
// the model says, every other byte untouched.
TEST_P(McuOutputTest, WritesTheVisiblePixelsAsTheModelSays) {
  const OutputCase& c = GetParam();
  const int width = 8 * c.shape.blocksAcross, height = 8 * c.shape.blocksDown;
  const int channels = testing::BytesPerPixel(c.kind);
  const int dibWidth = width + 3, dibHeight = height + 3;
  std::mt19937 rng(1234);
  std::uniform_int_distribution<int> shift(-3, 3);
  for (int trial = 0; trial < 1500; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    GuardedDib dib(rng, dibHeight, dibWidth * channels + 3, trial % 3 == 1);
    const McuBuffer mcu = RandomMcu(rng);
    const int originX = shift(rng), originY = shift(rng);
    PixelRect visible{0, 0, width, height};
    if (trial % 4 != 0) {
      // Any part of the MCU that lies inside the DIB; may be empty.
      const int left = std::max(0, -originX), top = std::max(0, -originY);
      const int right = std::min(width, dibWidth - originX), bottom = std::min(height, dibHeight - originY);
      std::uniform_int_distribution<int> x(left, right), y(top, bottom);
      const int x1 = x(rng), x2 = x(rng), y1 = y(rng), y2 = y(rng);
      visible = {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    }
    const int placeX = trial % 4 == 0 ? 1 : originX, placeY = trial % 4 == 0 ? 2 : originY;
    const McuTarget target{dib.TopLine(), placeY * dib.stride + placeX * channels, dib.stride, channels, visible};
    const auto expected = Expected(dib, target, [&](int row, int column, uint8_t* pixel) {
      testing::ModelPixel(mcu, c.shape, c.kind, row, column, pixel);
    });
    c.kernel(mcu, target);
    ExpectSameBytes(dib, expected);
  }
}

INSTANTIATE_TEST_SUITE_P(AllPaths, McuOutputTest, ::testing::ValuesIn(kOutputCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Flat MCUs pin the arithmetic: mid grey gains one step of green in the
// fused form only, and the red and blue offsets saturate.
TEST(FusedColourTest, MidGreyGivesGreen129) {
  const McuBuffer mcu = FlatMcu({128, 128, 128});
  uint8_t pixels[8 * 8 * 3];
  OutputMcu444BgrPlain(mcu, {pixels, 0, 24, 3, {0, 0, 8, 8}});
  EXPECT_EQ(pixels[0], 128);
  EXPECT_EQ(pixels[1], 129);
  EXPECT_EQ(pixels[2], 128);

  // The final pass over the DIB keeps the generic form.
  uint8_t generic[3] = {128, 128, 128};
  ConvertDibInPlace(DibView{generic, 3, 1, 1, 3}, PixelRect{0, 0, 0, 0}, JpegColorRgb, JpegColorYCbCr);
  EXPECT_EQ(generic[0], 128);
  EXPECT_EQ(generic[1], 128);
  EXPECT_EQ(generic[2], 128);
}

TEST(FusedColourTest, OffsetsSaturate) {
  uint8_t pixel[3];
  OutputMcu444RgbPlain(FlatMcu({255, 128, 255}), {pixel, 0, 0, 3, {0, 0, 1, 1}});
  EXPECT_EQ(pixel[0], 255);  // 255 + 178
  OutputMcu444RgbPlain(FlatMcu({0, 0, 128}), {pixel, 0, 0, 3, {0, 0, 1, 1}});
  EXPECT_EQ(pixel[2], 0);  // 0 - 227
}

TEST(FusedColourTest, YcckComplementsColourAndKeepsK) {
  uint8_t pixel[4];
  OutputMcu444YcckPlain(FlatMcu({128, 128, 128, 77}), {pixel, 0, 0, 4, {0, 0, 1, 1}});
  EXPECT_EQ(pixel[0], 127);
  EXPECT_EQ(pixel[1], 126);
  EXPECT_EQ(pixel[2], 127);
  EXPECT_EQ(pixel[3], 77);
}

// ---- Plain copy -------------------------------------------------------------

struct PlainCopyCase {
  const char* name;
  int components;
  int channels;
  ChannelOrder order;
  int expected[4];  // per channel: a sample, 255, or -1 for untouched
};

// Component c holds the flat value 10 (c + 1).
const PlainCopyCase kPlainCopyCases[] = {
    {"RgbIntoBgrIsReversed", 3, 3, ChannelOrder::kReversed, {30, 20, 10, -1}},
    {"ThreeInOrder", 3, 3, ChannelOrder::kInOrder, {10, 20, 30, -1}},
    {"GreyIntoThreeChannels", 1, 3, ChannelOrder::kGreyToColour, {10, 10, 10, -1}},
    {"GreyIntoFourChannelsIsOpaque", 1, 4, ChannelOrder::kGreyToColour, {10, 10, 10, 255}},
    {"FourthChannelLeftAlone", 3, 4, ChannelOrder::kInOrder, {10, 20, 30, -1}},
    {"FourComponentsIntoThree", 4, 3, ChannelOrder::kInOrder, {10, 20, 30, -1}},
    {"ThreeComponentsIntoOne", 3, 1, ChannelOrder::kInOrder, {10, -1, -1, -1}},
    {"TwoComponentsIntoThree", 2, 3, ChannelOrder::kInOrder, {10, 20, -1, -1}},
    {"OneComponentNotGrey", 1, 3, ChannelOrder::kInOrder, {10, -1, -1, -1}},
};

void PrintTo(const PlainCopyCase& c, std::ostream* os) { *os << c.name; }

class PlainCopyTest : public ::testing::TestWithParam<PlainCopyCase> {};

TEST_P(PlainCopyTest, FillsTheChannelsItHasSourcesFor) {
  const PlainCopyCase& c = GetParam();
  const McuBuffer mcu = FlatMcu({10, 20, 30, 40});
  std::mt19937 rng(99);
  for (const PixelRect visible : {PixelRect{0, 0, 8, 8}, PixelRect{3, 1, 7, 5}, PixelRect{2, 2, 2, 6}}) {
    for (bool bottomUp : {false, true}) {
      GuardedDib dib(rng, 10, 10 * c.channels + 2, bottomUp);
      const McuTarget target{dib.TopLine(), dib.stride + c.channels, dib.stride, c.channels, visible};
      const auto expected = Expected(dib, target, [&](int, int, uint8_t* pixel) {
        for (int ch = 0; ch < c.channels; ++ch) {
          if (c.expected[ch] >= 0) pixel[ch] = static_cast<uint8_t>(c.expected[ch]);
        }
      });
      CopyMcuChannelsPlain(mcu, target, c.components, c.order);
      ExpectSameBytes(dib, expected);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Rules, PlainCopyTest, ::testing::ValuesIn(kPlainCopyCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Whole images through ClipMcu ------------------------------------------

// A 17x17 4:2:0 image into a BGR DIB, whole or as a region: the MCUs of the
// second row and column are one pixel wide or high, the line padding and
// everything outside the image or region stay as they were.
struct ImageCase {
  const char* name;
  PixelRect region;
  bool bottomUp;
};

const ImageCase kImageCases[] = {
    {"WholeTopDown", {0, 0, 0, 0}, false},
    {"WholeBottomUp", {0, 0, 0, 0}, true},
    {"RegionTopDown", {5, 3, 17, 16}, false},
    {"RegionBottomUp", {5, 3, 17, 16}, true},
    {"RegionInsideOneMcu", {2, 2, 9, 7}, false},
    {"RegionStartingAtSecondMcu", {16, 16, 17, 17}, true},
};

void PrintTo(const ImageCase& c, std::ostream* os) { *os << c.name; }

class ClippedImageTest : public ::testing::TestWithParam<ImageCase> {};

TEST_P(ClippedImageTest, WritesExactlyTheImagePixels) {
  constexpr int kImageSize = 17, kMcuSize = 16, kMcus = 2;
  const ImageCase& c = GetParam();
  const bool whole = c.region.right == 0;
  const int dibWidth = whole ? kImageSize : c.region.right - c.region.left;
  const int dibHeight = whole ? kImageSize : c.region.bottom - c.region.top;
  const int lineBytes = (dibWidth * 3 + 3) / 4 * 4;
  std::mt19937 rng(5);
  GuardedDib dib(rng, dibHeight, lineBytes, c.bottomUp);
  const std::vector<uint8_t> before = dib.bytes;
  McuBuffer mcus[kMcus][kMcus];
  for (auto& row : mcus) {
    for (auto& mcu : row) mcu = RandomMcu(rng);
  }

  int written = 0;
  for (int mcuY = 0; mcuY < kMcus; ++mcuY) {
    for (int mcuX = 0; mcuX < kMcus; ++mcuX) {
      McuTarget target;
      const int result = ClipMcu(c.region, kMcuSize, kMcuSize, mcuX, mcuY, 3, dib.stride, dib.TopLine(), dibWidth,
                                 c.bottomUp ? -dibHeight : dibHeight, &target);
      if (result != 0) continue;
      OutputMcu420BgrPlain(mcus[mcuY][mcuX], target);
      ++written;
    }
  }
  EXPECT_GT(written, 0);

  std::vector<uint8_t> expected = before;
  const int left = whole ? 0 : c.region.left, top = whole ? 0 : c.region.top;
  for (int y = 0; y < dibHeight; ++y) {
    for (int x = 0; x < dibWidth; ++x) {
      const int imageX = x + left, imageY = y + top;
      testing::ModelPixel(mcus[imageY / kMcuSize][imageX / kMcuSize], k420, PixelKind::kBgr, imageY % kMcuSize,
                          imageX % kMcuSize, &expected[dib.IndexOf(y * dib.stride + x * 3)]);
    }
  }
  ExpectSameBytes(dib, expected);
}

INSTANTIATE_TEST_SUITE_P(Images, ClippedImageTest, ::testing::ValuesIn(kImageCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace halvora::jpeg
