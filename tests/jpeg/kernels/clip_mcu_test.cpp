#include "jpeg/kernels/clip_mcu.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace halvora::jpeg {
namespace {

// MCUs of 16x16 pixels into a 3-channel DIB with lines of 52 bytes.
constexpr int kMcu = 16;
constexpr int kChannels = 3;
constexpr ptrdiff_t kLine = 52;

struct ClipCase {
  const char* name;
  PixelRect region;
  int mcuX, mcuY;
  int dibWidth, dibHeight;
  ptrdiff_t lineBytes;
  int result;
  ptrdiff_t topLeft;
  PixelRect visible;
};

const ClipCase kClipCases[] = {
    {"WholeImageFirstMcu", {0, 0, 0, 0}, 0, 0, 17, 17, kLine, 0, 0, {0, 0, 16, 16}},
    {"WholeImageRightEdge", {0, 0, 0, 0}, 1, 0, 17, 17, kLine, 0, 48, {0, 0, 1, 16}},
    {"WholeImageCorner", {0, 0, 0, 0}, 1, 1, 17, 17, kLine, 0, 48 + 16 * kLine, {0, 0, 1, 1}},
    {"BottomUpGoesDownInMemory", {0, 0, 0, 0}, 1, 1, 17, -17, -kLine, 0, 48 - 16 * kLine, {0, 0, 1, 1}},
    // The DIB holds the region (20, 8)-(40, 30) only: 20 x 22 pixels.
    {"LeftOfRegion", {20, 8, 40, 30}, 0, 0, 20, 22, kLine, kMcuOutsideRegion, 0, {}},
    {"StraddlesRegionCorner", {20, 8, 40, 30}, 1, 0, 20, 22, kLine, 0, -4 * 3 - 8 * kLine, {4, 8, 16, 16}},
    {"StraddlesRegionRightAndBottom", {20, 8, 40, 30}, 2, 1, 20, 22, kLine, 0, 12 * 3 + 8 * kLine, {0, 0, 8, 14}},
    {"RightOfRegion", {20, 8, 40, 30}, 3, 0, 20, 22, kLine, kMcuOutsideRegion, 0, {}},
    {"BelowRegion", {20, 8, 40, 30}, 1, 2, 20, 22, kLine, kMcuOutsideRegion, 0, {}},
    {"AboveRegion", {20, 40, 40, 60}, 1, 1, 20, 20, kLine, kMcuOutsideRegion, 0, {}},
    // An MCU ending exactly at the region's left edge is kept, with nothing visible.
    {"EndsAtRegionLeftEdge", {16, 0, 40, 16}, 0, 0, 24, 16, kLine, 0, -16 * 3, {16, 0, 16, 16}},
    // A DIB narrower than the region limits what is visible.
    {"DibNarrowerThanRegion", {20, 8, 40, 30}, 1, 0, 10, 22, kLine, 0, -4 * 3 - 8 * kLine, {4, 8, 14, 16}},
};

void PrintTo(const ClipCase& c, std::ostream* os) { *os << c.name; }

class ClipMcuTest : public ::testing::TestWithParam<ClipCase> {};

TEST_P(ClipMcuTest, PlacesTheMcu) {
  const ClipCase& c = GetParam();
  uint8_t pixels[4];
  McuTarget target{nullptr, -1, 0, 0, {-1, -1, -1, -1}};
  ASSERT_EQ(ClipMcu(c.region, kMcu, kMcu, c.mcuX, c.mcuY, kChannels, c.lineBytes, pixels, c.dibWidth, c.dibHeight,
                    &target),
            c.result);
  if (c.result != 0) {
    EXPECT_EQ(target.dib, nullptr) << "a refused MCU leaves the target alone";
    return;
  }
  EXPECT_EQ(target.dib, pixels);
  EXPECT_EQ(target.topLeft, c.topLeft);
  EXPECT_EQ(target.lineBytes, c.lineBytes);
  EXPECT_EQ(target.channels, kChannels);
  EXPECT_EQ(target.visible.left, c.visible.left);
  EXPECT_EQ(target.visible.top, c.visible.top);
  EXPECT_EQ(target.visible.right, c.visible.right);
  EXPECT_EQ(target.visible.bottom, c.visible.bottom);
}

INSTANTIATE_TEST_SUITE_P(Cases, ClipMcuTest, ::testing::ValuesIn(kClipCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace halvora::jpeg
