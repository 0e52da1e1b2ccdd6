#include "jpeg/smooth_output.h"

#include <algorithm>

#include "jpeg/kernels/smooth_upsampling.h"

namespace halvora::jpeg {

namespace {

constexpr int kBlockSide = 8;

int BlocksBefore(const ComponentOutputFormat& format, int component) {
  int offset = 0;
  for (int c = 0; c < component; ++c) offset += format.horizontal[c] * format.vertical[c];
  return offset;
}

int BlocksOf(const ComponentOutputFormat& format) { return BlocksBefore(format, format.componentCount); }

// Sample (row, column) of component block `offset` of an MCU's blocks.
uint8_t SampleAt(const CoefficientBlock* mcu, int offset, int row, int column) {
  return static_cast<uint8_t>(mcu[offset].values[kBlockSide * row + column]);
}

// The edge samples of the chroma block `offset` of the middle MCU, taken
// from its neighbours; a side without one stays null (an image edge).
struct EdgeSamples {
  uint8_t left[kBlockSide];
  uint8_t right[kBlockSide];
  uint8_t above[kBlockSide + 2];
  uint8_t below[kBlockSide + 2];
};

// A row of a neighbour above or below with its diagonal neighbours: the
// corner samples of the MCUs beside it (or the row's own end samples where
// there are none, which the gathering replaces at the image edge anyway).
void FillRow(const McuNeighbourhood& around, int dy, int offset, int sourceRow, uint8_t* row) {
  const CoefficientBlock* middle = around.mcus[dy][1];
  for (int k = 0; k < kBlockSide; ++k) row[k + 1] = SampleAt(middle, offset, sourceRow, k);
  const CoefficientBlock* left = around.mcus[dy][0];
  const CoefficientBlock* right = around.mcus[dy][2];
  row[0] = left != nullptr ? SampleAt(left, offset, sourceRow, kBlockSide - 1) : row[1];
  row[kBlockSide + 1] = right != nullptr ? SampleAt(right, offset, sourceRow, 0) : row[kBlockSide];
}

ChromaEdges EdgesOf(const McuNeighbourhood& around, int offset, EdgeSamples& samples) {
  ChromaEdges edges{};
  if (const CoefficientBlock* left = around.mcus[1][0]; left != nullptr) {
    for (int r = 0; r < kBlockSide; ++r) samples.left[r] = SampleAt(left, offset, r, kBlockSide - 1);
    edges.left = samples.left;
  }
  if (const CoefficientBlock* right = around.mcus[1][2]; right != nullptr) {
    for (int r = 0; r < kBlockSide; ++r) samples.right[r] = SampleAt(right, offset, r, 0);
    edges.right = samples.right;
  }
  if (around.mcus[0][1] != nullptr) {
    FillRow(around, 0, offset, kBlockSide - 1, samples.above);
    edges.above = samples.above;
  }
  if (around.mcus[2][1] != nullptr) {
    FillRow(around, 2, offset, 0, samples.below);
    edges.below = samples.below;
  }
  return edges;
}

}  // namespace

void OutputSmoothMcu(const JpegFrame& frame, const ComponentOutputFormat& format, const McuNeighbourhood& around,
                     int column, int row, const McuTarget& target) {
  // The filters double the chroma's resolution, no more.
  if (!IsUsableComponentFormat(format) || format.hmax != 2 || format.vmax > 2 || around.mcus[1][1] == nullptr) {
    return;
  }
  const int mcuWidth = kBlockSide * format.hmax, mcuHeight = kBlockSide * format.vmax;
  // The MCU's pixels inside the image; a partial MCU's chroma repeats its
  // last valid sample beyond them.
  const int validWidth = std::clamp(frame.width - column * mcuWidth, 1, mcuWidth);
  const int validHeight = std::clamp(frame.height - row * mcuHeight, 1, mcuHeight);
  const CoefficientBlock* blocks = around.mcus[1][1];
  McuPlanes planes;
  for (int c = 0; c < std::min(format.componentCount, kMaxOutputComponents); ++c) {
    if (format.horizontal[c] * format.vertical[c] != 1) {
      BuildComponentPlane(blocks, BlocksOf(format), format, c, kBlockSide, false, target.visible,
                          planes.component[c]);
      continue;
    }
    const int offset = BlocksBefore(format, c);
    EdgeSamples samples;
    ChromaEdges edges = EdgesOf(around, offset, samples);
    edges.validColumns = (validWidth + format.hmax - 1) / format.hmax;
    edges.validRows = (validHeight + format.vmax - 1) / format.vmax;
    const ChromaNeighbourhood chroma = GatherChromaNeighbourhood(blocks[offset], kBlockSide, edges);
    if (format.vmax == 2) {
      UpsampleSmooth2x2(chroma, planes.component[c]);
    } else {
      UpsampleSmooth2x1(chroma, planes.component[c]);
    }
  }
  WriteComponentPlanes(planes, format, mcuWidth, mcuHeight, target);
}

}  // namespace halvora::jpeg
