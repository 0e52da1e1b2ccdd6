#include "jpeg/kernels/component_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include <halvora/jpeg.h>
#include "jpeg/kernels/clip_mcu.h"
#include "jpeg/kernels/color_output.h"
#include "jpeg/kernels/color_pass.h"
#include "tests/jpeg/kernels/component_reference.h"
#include "tests/support/guarded_dib.h"

namespace halvora::jpeg {
namespace {

using test_support::ExpectSameBytes;
using test_support::GuardedDib;

std::vector<CoefficientBlock> RandomBlocks(std::mt19937& rng, int count) {
  std::uniform_int_distribution<int> sample(0, 255);
  std::vector<CoefficientBlock> blocks(static_cast<size_t>(count));
  for (auto& block : blocks) {
    for (auto& value : block.values) value = static_cast<int16_t>(sample(rng));
  }
  return blocks;
}

struct LayoutCase {
  const char* name;
  int jpegColor, dibColor, channels, components;
  int h[4], v[4];
  int convert;
};

ComponentOutputFormat FormatOf(const LayoutCase& c) {
  ComponentOutputFormat format{c.jpegColor, c.dibColor, c.components, {}, {}, 1, 1, c.convert};
  for (int i = 0; i < std::min(c.components, kMaxOutputComponents); ++i) {
    format.horizontal[i] = c.h[i], format.vertical[i] = c.v[i];
    format.hmax = std::max(format.hmax, c.h[i]), format.vmax = std::max(format.vmax, c.v[i]);
  }
  return format;
}

int BlocksOf(const ComponentOutputFormat& format) {
  int blocks = 0;
  for (int i = 0; i < std::min(format.componentCount, kMaxOutputComponents); ++i) {
    blocks += format.horizontal[i] * format.vertical[i];
  }
  return blocks + std::max(format.componentCount - kMaxOutputComponents, 0);  // later components: one block each
}

// The simple-sampling rule: the largest horizontal factor is 2 and every
// component is sampled 1x1 or 2x2.
bool SimpleSampling(const ComponentOutputFormat& format) {
  if (format.hmax != 2) return false;
  for (int i = 0; i < std::min(format.componentCount, kMaxOutputComponents); ++i) {
    if (format.horizontal[i] != format.vertical[i]) return false;
  }
  return true;
}

constexpr int kRgb = JpegColorRgb, kBgr = JpegColorBgr, kYcc = JpegColorYCbCr, kGrey = JpegColorGrey,
              kRgba = JpegColorRgba, kYcck = JpegColorYCbCrAlpha, kOther = JpegColorOther;

const LayoutCase kLayoutCases[] = {
    {"Ycc411IntoBgr", kYcc, kBgr, 3, 3, {4, 1, 1}, {1, 1, 1}, 1},
    {"Ycc440IntoRgb", kYcc, kRgb, 3, 3, {1, 1, 1}, {2, 1, 1}, 1},
    {"Ycc24IntoRgba", kYcc, kRgba, 4, 3, {2, 1, 1}, {4, 1, 1}, 1},
    {"Ycc44IntoBgr", kYcc, kBgr, 3, 3, {4, 1, 1}, {4, 1, 1}, 1},
    {"YccMixedFactorsIntoBgr", kYcc, kBgr, 3, 3, {2, 2, 1}, {2, 1, 2}, 1},
    {"Ycc420IntoRgbWithFourChannels", kYcc, kRgb, 4, 3, {2, 1, 1}, {2, 1, 1}, 1},
    {"Ycck420IntoRgba", kYcck, kRgba, 4, 4, {2, 1, 1, 2}, {2, 1, 1, 2}, 1},
    {"Ycck411IntoRgba", kYcck, kRgba, 4, 4, {4, 1, 1, 4}, {1, 1, 1, 1}, 1},
    {"RgbCoded422IntoBgr", kRgb, kBgr, 3, 3, {2, 1, 1}, {1, 1, 1}, 0},
    {"RgbCoded420IntoRgba", kRgb, kRgba, 4, 3, {2, 1, 1}, {2, 1, 1}, 0},
    {"GreyIntoBgr", kGrey, kBgr, 3, 1, {1}, {1}, 0},
    {"GreyIntoRgba", kGrey, kRgba, 4, 1, {1}, {1}, 0},
    {"GreyIntoGrey", kGrey, kGrey, 1, 1, {1}, {1}, 0},
    {"Ycc420IntoGreyDib", kYcc, kGrey, 1, 3, {2, 1, 1}, {2, 1, 1}, 0},
    {"Ycc422IntoPackedYcc", kYcc, kYcc, 2, 3, {2, 1, 1}, {1, 1, 1}, 0},
    {"Ycc420IntoPackedYcc", kYcc, kYcc, 2, 3, {2, 1, 1}, {2, 1, 1}, 0},
    {"Ycc420IntoYccDib", kYcc, kYcc, 3, 3, {2, 1, 1}, {2, 1, 1}, 0},
    {"Ycc420IntoOneByteYccDib", kYcc, kYcc, 1, 3, {2, 1, 1}, {2, 1, 1}, 0},
    {"FourComponentsIntoFourByteYccDib", kYcck, kYcc, 4, 4, {2, 1, 1, 2}, {1, 1, 1, 1}, 0},
    {"TwoComponentsIntoThreeChannels", kOther, kOther, 3, 2, {2, 1}, {2, 1}, 0},
    {"FiveComponentsIntoFourChannels", kOther, kOther, 4, 5, {1, 1, 1, 1}, {1, 1, 1, 1}, 0},
    {"YccIntoTwoByteBgrIsNotConverted", kYcc, kBgr, 2, 3, {2, 1, 1}, {2, 1, 1}, 1},
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class ComponentOutputTest : public ::testing::TestWithParam<LayoutCase> {};

// Random MCUs at every block size, with the whole MCU or a random part of it
// visible: each visible pixel as the model says, every other byte untouched
// (padding, other pixels, bytes at or beyond the channel count, guards).
TEST_P(ComponentOutputTest, WritesTheVisiblePixelsAsTheModelSays) {
  const LayoutCase& c = GetParam();
  const ComponentOutputFormat format = FormatOf(c);
  ASSERT_TRUE(IsUsableComponentFormat(format));
  const bool simple = SimpleSampling(format);
  std::mt19937 rng(77);
  int trials = 0;
  for (int blockSize : {8, 4, 2, 1}) {
    const int width = blockSize * format.hmax, height = blockSize * format.vmax;
    for (int trial = 0; trial < 150; ++trial, ++trials) {
      SCOPED_TRACE("block size " + std::to_string(blockSize) + ", trial " + std::to_string(trial));
      GuardedDib dib(rng, height + 3, (width + 2) * c.channels + 3, trial % 2 == 1);
      const std::vector<CoefficientBlock> blocks = RandomBlocks(rng, BlocksOf(format));
      PixelRect visible{0, 0, width, height};
      if (trial % 3 != 0) {
        std::uniform_int_distribution<int> x(0, width), y(0, height);
        const int x1 = x(rng), x2 = x(rng), y1 = y(rng), y2 = y(rng);
        visible = {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
      }
      const McuTarget target{dib.TopLine(), 2 * dib.stride + c.channels, dib.stride, c.channels, visible};

      std::vector<uint8_t> expected = dib.bytes;
      for (int y = visible.top; y < visible.bottom; ++y) {
        for (int x = visible.left; x < visible.right; ++x) {
          uint8_t* pixel = &expected[dib.IndexOf(target.topLeft + y * target.lineBytes + x * c.channels)];
          testing::ModelComponentPixel(blocks.data(), format, c.channels, blockSize, simple, x, y, pixel);
        }
      }
      if (blockSize == 8) {
        OutputMcuPerComponent(blocks.data(), static_cast<int>(blocks.size()), format, target);
      } else {
        OutputReducedMcu(blocks.data(), static_cast<int>(blocks.size()), format, blockSize, simple, target);
      }
      ExpectSameBytes(dib, expected);
    }
  }
  EXPECT_EQ(trials, 600);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ComponentOutputTest, ::testing::ValuesIn(kLayoutCases),
                         [](const auto& info) { return std::string(info.param.name); });

McuBuffer FlatBlocks(std::initializer_list<int> values) {
  McuBuffer mcu{};
  int b = 0;
  for (int value : values) std::fill(std::begin(mcu.blocks[b].values), std::end(mcu.blocks[b].values), value), ++b;
  return mcu;
}

// Mid grey: the conversion after the per-component output keeps green at 128
// where the fused routine for the same MCU gives 129.
TEST(ComponentOutputEdgeTest, MidGreyStaysGreyUnlikeTheFusedForm) {
  const McuBuffer mcu = FlatBlocks({128, 128, 128});
  const ComponentOutputFormat format{kYcc, kBgr, 3, {1, 1, 1}, {1, 1, 1}, 1, 1, 1};
  uint8_t generic[8 * 8 * 3], fused[8 * 8 * 3];
  OutputMcuPerComponent(mcu.blocks, 3, format, {generic, 0, 24, 3, {0, 0, 8, 8}});
  OutputMcu444BgrPlain(mcu, {fused, 0, 24, 3, {0, 0, 8, 8}});
  EXPECT_EQ(generic[0], 128);
  EXPECT_EQ(generic[1], 128);
  EXPECT_EQ(generic[2], 128);
  EXPECT_EQ(fused[1], 129);
}

// 4:1:1: each chroma sample covers four pixels of one row.
TEST(ComponentOutputEdgeTest, FourOneOneReplicatesChromaOverFourPixelsOfARow) {
  McuBuffer mcu{};
  for (int b = 0; b < 6; ++b) {
    for (int i = 0; i < 64; ++i) mcu.blocks[b].values[i] = static_cast<int16_t>((b * 64 + i) % 256);
  }
  const ComponentOutputFormat format{kYcc, kYcc, 3, {4, 1, 1}, {1, 1, 1}, 4, 1, 0};
  uint8_t pixels[8][32][3];
  OutputMcuPerComponent(mcu.blocks, 6, format, {&pixels[0][0][0], 0, 32 * 3, 3, {0, 0, 32, 8}});
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 32; ++x) {
      EXPECT_EQ(pixels[y][x][0], mcu.blocks[x / 8].values[8 * y + x % 8]);
      EXPECT_EQ(pixels[y][x][1], mcu.blocks[4].values[8 * y + x / 4]);
      EXPECT_EQ(pixels[y][x][2], mcu.blocks[5].values[8 * y + x / 4]);
    }
  }
}

// Half size, 4:2:0: an MCU of 8x8 pixels; the luminance comes from the 4x4
// corners of its four blocks, the chroma 1:1 from blocks transformed at 8x8.
TEST(ComponentOutputEdgeTest, HalfSize420CopiesChromaOneToOne) {
  McuBuffer mcu{};
  for (int b = 0; b < 6; ++b) {
    for (int i = 0; i < 64; ++i) mcu.blocks[b].values[i] = static_cast<int16_t>((b * 41 + i * 3) % 256);
  }
  const ComponentOutputFormat format{kYcc, kYcc, 3, {2, 1, 1}, {2, 1, 1}, 2, 2, 0};
  uint8_t pixels[8][8][3];
  OutputReducedMcu(mcu.blocks, 6, format, 4, true, {&pixels[0][0][0], 0, 8 * 3, 3, {0, 0, 8, 8}});
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(pixels[y][x][0], mcu.blocks[(y / 4) * 2 + x / 4].values[8 * (y % 4) + x % 4]);
      EXPECT_EQ(pixels[y][x][1], mcu.blocks[4].values[8 * y + x]);
      EXPECT_EQ(pixels[y][x][2], mcu.blocks[5].values[8 * y + x]);
    }
  }
}

// Layouts the routine cannot expand, and MCUs that lack blocks, write nothing.
TEST(ComponentOutputEdgeTest, UnusableFormatsAndMissingBlocksWriteNothing) {
  struct {
    const char* name;
    ComponentOutputFormat format;
    int blocks;
  } const cases[] = {
      {"factor 3 under 4", {kYcc, kBgr, 3, {4, 3, 1}, {1, 1, 1}, 4, 1, 1}, 6},
      {"factor 3 under 4, its blocks there", {kYcc, kBgr, 3, {4, 3, 1}, {1, 1, 1}, 4, 1, 1}, 8},
      {"factor 2 under 3, its blocks there", {kYcc, kBgr, 3, {1, 1, 1}, {3, 2, 1}, 1, 3, 1}, 6},
      {"factor 0", {kYcc, kBgr, 3, {2, 0, 1}, {1, 1, 1}, 2, 1, 1}, 4},
      {"largest factor 5", {kYcc, kBgr, 3, {5, 1, 1}, {1, 1, 1}, 5, 1, 1}, 7},
      {"factor above the largest", {kYcc, kBgr, 3, {2, 1, 1}, {1, 1, 1}, 1, 1, 1}, 4},
      {"no components", {kYcc, kBgr, 0, {}, {}, 1, 1, 1}, 0},
      {"chroma blocks missing", {kYcc, kBgr, 3, {2, 1, 1}, {2, 1, 1}, 2, 2, 1}, 5},
  };
  std::mt19937 rng(3);
  const std::vector<CoefficientBlock> blocks = RandomBlocks(rng, 10);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GuardedDib dib(rng, 32, 32 * 3, false);
    const std::vector<uint8_t> before = dib.bytes;
    const McuTarget target{dib.TopLine(), 0, 32 * 3, 3, {0, 0, 32, 32}};
    OutputMcuPerComponent(blocks.data(), c.blocks, c.format, target);
    OutputReducedMcu(blocks.data(), c.blocks, c.format, 2, false, target);
    ExpectSameBytes(dib, before);
  }
}

// ---- Planes --------------------------------------------------------------------

// Every layout the routine accepts (largest factors 1..4, component factors
// dividing them), every block size, with and without simple sampling, whole,
// partly visible and not at all: each visible plane sample is the one the replication
// formula names, pixel x taking sample x * (samples across) / (MCU width),
// and the plane outside the visible pixels keeps what it held.
TEST(BuildComponentPlaneTest, SpreadsEveryLayoutByTheReplicationFormula) {
  std::mt19937 rng(5);
  const std::vector<CoefficientBlock> blocks = RandomBlocks(rng, 32);
  int planes = 0;
  for (int hmax = 1; hmax <= 4; ++hmax) {
    for (int vmax = 1; vmax <= 4; ++vmax) {
      for (int h = 1; h <= hmax; ++h) {
        for (int v = 1; v <= vmax; ++v) {
          if (hmax % h != 0 || vmax % v != 0) continue;
          // Component 0 carries the largest factors, component 1 the ones under test.
          const ComponentOutputFormat format{kYcc, kBgr, 2, {hmax, h}, {vmax, v}, hmax, vmax, 0};
          for (int blockSize : {8, 4, 2, 1}) {
            for (bool simple : {false, true}) {
              const int width = blockSize * hmax, height = blockSize * vmax;
              const int samples = simple && blockSize < 8 && h * v == 1 ? 2 * blockSize : blockSize;
              std::uniform_int_distribution<int> x(0, width), y(0, height);
              const int x1 = x(rng), x2 = x(rng), y1 = y(rng), y2 = y(rng);
              // The last rectangle is inverted (an MCU past a DIB's right edge): it shows nothing.
              for (const PixelRect visible : {PixelRect{0, 0, width, height},
                                              PixelRect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2),
                                                        std::max(y1, y2)},
                                              PixelRect{width, 0, -width, height}}) {
                SCOPED_TRACE(::testing::Message() << "max " << hmax << "x" << vmax << ", component " << h << "x"
                                                  << v << ", block size " << blockSize << ", simple " << simple);
                McuPlane plane;
                std::fill(std::begin(plane.samples), std::end(plane.samples), uint8_t{0xC3});
                McuPlane expected = plane;
                const CoefficientBlock* component = blocks.data() + hmax * vmax;
                for (int py = visible.top; py < visible.bottom; ++py) {
                  for (int px = visible.left; px < visible.right; ++px) {
                    const int sx = px * (h * samples) / width, sy = py * (v * samples) / height;
                    const CoefficientBlock& block = component[(sy / samples) * h + sx / samples];
                    expected.samples[py * kMcuPlaneSide + px] =
                        static_cast<uint8_t>(block.values[8 * (sy % samples) + sx % samples]);
                  }
                }
                ASSERT_TRUE(BuildComponentPlane(blocks.data(), hmax * vmax + h * v, format, 1, blockSize, simple,
                                                visible, plane));
                ASSERT_TRUE(std::equal(std::begin(plane.samples), std::end(plane.samples),
                                       std::begin(expected.samples)));
                ++planes;
              }
            }
          }
        }
      }
    }
  }
  EXPECT_EQ(planes, 8 * 8 * 4 * 2 * 3);  // 8 (largest, own) pairs of factors a direction
}

// ---- Single-component scans -------------------------------------------------

// Every block of each component of a small image, placed by ClipMcu with the
// block's replicated extent, then (for colour DIBs) the final pass: the DIB
// equals the per-pixel model of the whole image, and nothing outside the
// image or region is touched.
struct ScanCase {
  const char* name;
  int dibColor, channels;
  int h[3], v[3];
  int blockSize;
  PixelRect region;
  bool bottomUp;
};

const ScanCase kScanCases[] = {
    {"Ycc420IntoBgr", kBgr, 3, {2, 1, 1}, {2, 1, 1}, 8, {0, 0, 0, 0}, false},
    {"Ycc420IntoBgrBottomUp", kBgr, 3, {2, 1, 1}, {2, 1, 1}, 8, {0, 0, 0, 0}, true},
    {"Ycc420IntoBgrRegion", kBgr, 3, {2, 1, 1}, {2, 1, 1}, 8, {5, 3, 30, 20}, false},
    {"Ycc411IntoRgba", kRgba, 4, {4, 1, 1}, {1, 1, 1}, 8, {0, 0, 0, 0}, true},
    {"Ycc24IntoRgbRegion", kRgb, 3, {2, 1, 1}, {4, 1, 1}, 8, {9, 17, 37, 40}, true},
    {"Ycc420HalfSizeIntoBgr", kBgr, 3, {2, 1, 1}, {2, 1, 1}, 4, {0, 0, 0, 0}, false},
    {"Ycc422QuarterSizeIntoBgr", kBgr, 3, {2, 1, 1}, {1, 1, 1}, 2, {0, 0, 0, 0}, false},
    {"Ycc420IntoYccDib", kYcc, 3, {2, 1, 1}, {2, 1, 1}, 8, {0, 0, 0, 0}, false},
    {"Ycc422IntoPackedYcc", kYcc, 2, {2, 1, 1}, {1, 1, 1}, 8, {0, 0, 0, 0}, false},
    {"Ycc422IntoPackedYccRegion", kYcc, 2, {2, 1, 1}, {1, 1, 1}, 8, {3, 2, 36, 19}, true},
};

void PrintTo(const ScanCase& c, std::ostream* os) { *os << c.name; }

class SingleComponentScanTest : public ::testing::TestWithParam<ScanCase> {};

int CeilDiv(int a, int b) { return (a + b - 1) / b; }

TEST_P(SingleComponentScanTest, BuildsTheImageBlockByBlock) {
  const ScanCase& c = GetParam();
  // Sizes that leave partial blocks at the right and bottom at every scale.
  const int scale = 8 / c.blockSize;
  const int imageWidth = 296 / scale - 3, imageHeight = 344 / scale - 5;
  const ComponentOutputFormat format{kYcc, c.dibColor, 3, {c.h[0], c.h[1], c.h[2]}, {c.v[0], c.v[1], c.v[2]},
                                     std::max({c.h[0], c.h[1], c.h[2]}), std::max({c.v[0], c.v[1], c.v[2]}), 0};
  const bool simple = SimpleSampling(format);
  const bool whole = c.region.right == 0;
  const int dibWidth = whole ? imageWidth : c.region.right - c.region.left;
  const int dibHeight = whole ? imageHeight : c.region.bottom - c.region.top;
  std::mt19937 rng(11);
  GuardedDib dib(rng, dibHeight, (dibWidth * c.channels + 3) / 4 * 4 + 4, c.bottomUp);
  std::vector<uint8_t> expected = dib.bytes;

  // Each component's blocks in raster order, as its own scan codes them,
  // enough to cover the image at the component's resolution.
  std::vector<CoefficientBlock> planes[3];
  BlockExtent extents[3];
  int across[3];
  for (int comp = 0; comp < 3; ++comp) {
    // A block covers its replicated size, not an 8x8 cell of the image.
    extents[comp] = {c.blockSize * format.hmax / c.h[comp], c.blockSize * format.vmax / c.v[comp]};
    const BlockExtent extent = SingleComponentBlockExtent(format, comp, c.blockSize);
    ASSERT_EQ(extent.width, extents[comp].width);
    ASSERT_EQ(extent.height, extents[comp].height);
    across[comp] = CeilDiv(imageWidth, extents[comp].width);
    const int down = CeilDiv(imageHeight, extents[comp].height);
    planes[comp] = RandomBlocks(rng, across[comp] * down);
    for (int by = 0; by < down; ++by) {
      for (int bx = 0; bx < across[comp]; ++bx) {
        McuTarget target;
        if (ClipMcu(c.region, extents[comp].width, extents[comp].height, bx, by, c.channels, dib.stride, dib.TopLine(),
                    dibWidth, c.bottomUp ? -dibHeight : dibHeight, &target) != 0) {
          continue;
        }
        OutputSingleComponentBlock(planes[comp][size_t(by * across[comp] + bx)], comp, format, c.blockSize, simple,
                                   target);
      }
    }
  }

  // The model: pixel (x, y) of the image takes, for each component, the sample
  // its block holds there; the extent says which block and how it replicates.
  const int left = whole ? 0 : c.region.left, top = whole ? 0 : c.region.top;
  for (int y = 0; y < dibHeight; ++y) {
    for (int x = 0; x < dibWidth; ++x) {
      const int imageX = x + left, imageY = y + top;
      uint8_t* pixel = &expected[dib.IndexOf(y * dib.stride + x * c.channels)];
      uint8_t samples[3];
      for (int comp = 0; comp < 3; ++comp) {
        const BlockExtent e = extents[comp];
        const int size = simple && c.blockSize < 8 && c.h[comp] == 1 ? 2 * c.blockSize : c.blockSize;
        const CoefficientBlock& block = planes[comp][size_t((imageY / e.height) * across[comp] + imageX / e.width)];
        samples[comp] = static_cast<uint8_t>(
            block.values[8 * ((imageY % e.height) * size / e.height) + (imageX % e.width) * size / e.width]);
      }
      if (c.channels == 2) {
        pixel[0] = samples[0];
        pixel[1] = imageX % 2 == 0 ? samples[1] : samples[2];
      } else {
        std::copy(samples, samples + 3, pixel);
      }
    }
  }
  ExpectSameBytes(dib, expected);

  // The final pass turns the Y Cb Cr bytes into colour; a YCbCr DIB keeps them.
  ConvertDibInPlace({dib.TopLine(), dib.stride, dibWidth, c.bottomUp ? -dibHeight : dibHeight, c.channels}, c.region,
                    c.dibColor, kYcc);
  for (int y = 0; y < dibHeight; ++y) {
    for (int x = 0; x < dibWidth; ++x) {
      testing::ModelConvertPixel(&expected[dib.IndexOf(y * dib.stride + x * c.channels)], c.channels, c.dibColor,
                                 kYcc, true);
    }
  }
  ExpectSameBytes(dib, expected);
}

INSTANTIATE_TEST_SUITE_P(Layouts, SingleComponentScanTest, ::testing::ValuesIn(kScanCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace halvora::jpeg
