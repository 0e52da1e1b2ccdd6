#include "jpeg/kernels/smooth_upsampling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace halvora::jpeg {
namespace {

// A whole image's chroma, decoded MCU by MCU: each MCU's chroma block is
// filtered with the neighbours a decoder keeps from the adjacent MCUs, and
// every output pixel inside the image must equal the filter formula applied
// to the chroma plane of the image, with the image's first and last samples
// standing in for those beyond its edges. The blocks hold random bytes
// beyond the image too, which must never reach a pixel.
struct SmoothCase {
  const char* name;
  bool vertical;  // 2x2 (luminance 2x2), else 2x1 (luminance 2x1)
  int size;       // chroma samples per block side: 8, or 4 and 2 for reduced reads
  int width, height;
};

const SmoothCase kSmoothCases[] = {
    {"TwoByTwoPartialBothWays", true, 8, 37, 29},
    {"TwoByTwoWholeMcus", true, 8, 32, 48},
    {"TwoByTwoOnePixel", true, 8, 1, 1},
    {"TwoByTwoOneMcuRowOfTwoRows", true, 8, 50, 2},
    {"TwoByTwoOddColumnInLastMcu", true, 8, 17, 33},
    {"TwoByTwoEvenPartialEdges", true, 8, 38, 30},
    {"TwoByOnePartial", false, 8, 37, 13},
    {"TwoByOneEvenPartialEdge", false, 8, 22, 11},
    {"TwoByOneHalfSize", false, 4, 19, 7},
    {"TwoByOneQuarterSize", false, 2, 9, 5},
    {"TwoByOneOneColumn", false, 8, 1, 9},
};

void PrintTo(const SmoothCase& c, std::ostream* os) { *os << c.name; }

int CeilDiv(int a, int b) { return (a + b - 1) / b; }

// The chroma of the image: `across` x `down` blocks, sample (row, column) of
// block (bx, by) at blocks[by * across + bx].values[8 * row + column].
struct ChromaImage {
  int size, across, down, width, height;  // width and height in chroma samples inside the image
  std::vector<CoefficientBlock> blocks;

  uint8_t Raw(int row, int column) const {
    const CoefficientBlock& block = blocks[size_t((row / size) * across + column / size)];
    return static_cast<uint8_t>(block.values[8 * (row % size) + column % size]);
  }
  // The formulas' view: beyond the image the nearest edge sample.
  int At(int row, int column) const {
    return Raw(std::clamp(row, 0, height - 1), std::clamp(column, 0, width - 1));
  }
};

int ModelPixel(const ChromaImage& chroma, bool vertical, int y, int x) {
  const int k = x / 2, b = x % 2, dx = b == 0 ? -1 : 1;
  if (!vertical) {
    return (3 * chroma.At(y, k) + chroma.At(y, k + dx) + (b == 0 ? 1 : 2)) >> 2;
  }
  const int i = y / 2, dy = y % 2 == 0 ? -1 : 1;
  return (9 * chroma.At(i, k) + 3 * chroma.At(i, k + dx) + 3 * chroma.At(i + dy, k) + chroma.At(i + dy, k + dx) +
          (b == 0 ? 8 : 7)) >>
         4;
}

class SmoothUpsamplingTest : public ::testing::TestWithParam<SmoothCase> {};

TEST_P(SmoothUpsamplingTest, MatchesTheFormulasAcrossMcusAndEdges) {
  const SmoothCase& c = GetParam();
  const int n = c.size;
  const int rowsPerSample = c.vertical ? 2 : 1;
  ChromaImage chroma{n, CeilDiv(c.width, 2 * n), CeilDiv(c.height, rowsPerSample * n), CeilDiv(c.width, 2),
                     CeilDiv(c.height, rowsPerSample), {}};
  std::mt19937 rng(31);
  std::uniform_int_distribution<int> byte(0, 255);
  chroma.blocks.resize(size_t(chroma.across * chroma.down));
  for (auto& block : chroma.blocks) {
    for (auto& value : block.values) value = static_cast<int16_t>(byte(rng));
  }
  auto block = [&](int bx, int by) -> const CoefficientBlock& {
    return chroma.blocks[size_t(by * chroma.across + bx)];
  };
  auto sample = [&](int bx, int by, int row, int column) {
    return static_cast<uint8_t>(block(bx, by).values[8 * row + column]);
  };

  int checked = 0;
  for (int by = 0; by < chroma.down; ++by) {
    for (int bx = 0; bx < chroma.across; ++bx) {
      SCOPED_TRACE("MCU " + std::to_string(bx) + ", " + std::to_string(by));
      // What the decoder's context planes hold for this MCU.
      uint8_t left[8], right[8], above[10], below[10];
      for (int r = 0; r < n; ++r) {
        if (bx > 0) left[r] = sample(bx - 1, by, r, n - 1);
        if (bx + 1 < chroma.across) right[r] = sample(bx + 1, by, r, 0);
      }
      auto edgeRow = [&](int rowBy, int row, uint8_t* out) {
        out[0] = bx > 0 ? sample(bx - 1, rowBy, row, n - 1) : uint8_t(byte(rng));
        for (int k = 0; k < n; ++k) out[k + 1] = sample(bx, rowBy, row, k);
        out[n + 1] = bx + 1 < chroma.across ? sample(bx + 1, rowBy, row, 0) : uint8_t(byte(rng));
      };
      if (by > 0) edgeRow(by - 1, n - 1, above);
      if (by + 1 < chroma.down) edgeRow(by + 1, 0, below);
      const ChromaEdges edges{bx > 0 ? left : nullptr,
                              bx + 1 < chroma.across ? right : nullptr,
                              c.vertical && by > 0 ? above : nullptr,
                              c.vertical && by + 1 < chroma.down ? below : nullptr,
                              std::min(n, chroma.width - bx * n),
                              std::min(n, chroma.height - by * n)};
      const ChromaNeighbourhood neighbourhood = GatherChromaNeighbourhood(block(bx, by), n, edges);
      McuPlane plane;
      std::fill(std::begin(plane.samples), std::end(plane.samples), 0);
      if (c.vertical) {
        UpsampleSmooth2x2(neighbourhood, plane);
      } else {
        UpsampleSmooth2x1(neighbourhood, plane);
      }
      const int mcuWidth = 2 * n, mcuHeight = rowsPerSample * n;
      for (int y = 0; y < mcuHeight && by * mcuHeight + y < c.height; ++y) {
        for (int x = 0; x < mcuWidth && bx * mcuWidth + x < c.width; ++x) {
          ASSERT_EQ(plane.samples[y * kMcuPlaneSide + x],
                    ModelPixel(chroma, c.vertical, by * mcuHeight + y, bx * mcuWidth + x))
              << "pixel " << x << ", " << y << " of the MCU";
          ++checked;
        }
      }
    }
  }
  EXPECT_EQ(checked, c.width * c.height);
}

INSTANTIATE_TEST_SUITE_P(Images, SmoothUpsamplingTest, ::testing::ValuesIn(kSmoothCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace halvora::jpeg
