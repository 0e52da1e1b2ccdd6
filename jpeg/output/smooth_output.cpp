#include "jpeg/output/smooth_output.h"

#include <algorithm>

#include "jpeg/output/component_format.h"
#include "jpeg/output/smooth_output.h"
#include "jpeg/kernels/kernel_table.h"
#include "jpeg/kernels/smooth_upsampling.h"
#include "jpeg/output/read_size.h"

namespace halvora::jpeg {

namespace {

constexpr int kMaxBlockSide = 8;

int BlocksBefore(const ComponentOutputFormat& format, int component) {
  int offset = 0;
  for (int c = 0; c < component; ++c) offset += format.horizontal[c] * format.vertical[c];
  return offset;
}

int BlocksOf(const ComponentOutputFormat& format) { return BlocksBefore(format, format.componentCount); }

// Sample (row, column) of component block `offset` of an MCU's blocks.
uint8_t SampleAt(const CoefficientBlock* mcu, int offset, int row, int column) {
  return static_cast<uint8_t>(mcu[offset].values[kMaxBlockSide * row + column]);
}

// The edge samples of the chroma block `offset` of the middle MCU, taken
// from its neighbours; a side without one stays null (an image edge).
struct EdgeSamples {
  uint8_t left[kMaxBlockSide];
  uint8_t right[kMaxBlockSide];
  uint8_t above[kMaxBlockSide + 2];
  uint8_t below[kMaxBlockSide + 2];
};

// Which chroma block of the MCUs, and how many samples a side it holds.
struct ChromaBlock {
  int offset;
  int size;
};

// A row of a neighbour above or below with its diagonal neighbours: the
// corner samples of the MCUs beside it (or the row's own end samples where
// there are none, which the gathering replaces at the image edge anyway).
void FillRow(const McuNeighbourhood& around, int dy, const ChromaBlock& chroma, int sourceRow, uint8_t* row) {
  // `row` holds a block's row and its two neighbours: at most 8 + 2 samples.
  const int n = std::clamp(chroma.size, 1, kMaxBlockSide);
  const CoefficientBlock* middle = around.mcus[dy][1];
  for (int k = 0; k < n; ++k) row[k + 1] = SampleAt(middle, chroma.offset, sourceRow, k);
  const CoefficientBlock* left = around.mcus[dy][0];
  const CoefficientBlock* right = around.mcus[dy][2];
  row[0] = left != nullptr ? SampleAt(left, chroma.offset, sourceRow, n - 1) : row[1];
  row[n + 1] = right != nullptr ? SampleAt(right, chroma.offset, sourceRow, 0) : row[n];
}

ChromaEdges EdgesOf(const McuNeighbourhood& around, const ChromaBlock& chroma, bool vertical, EdgeSamples& samples) {
  const int n = chroma.size;
  ChromaEdges edges{};
  if (const CoefficientBlock* left = around.mcus[1][0]; left != nullptr) {
    for (int r = 0; r < n; ++r) samples.left[r] = SampleAt(left, chroma.offset, r, n - 1);
    edges.left = samples.left;
  }
  if (const CoefficientBlock* right = around.mcus[1][2]; right != nullptr) {
    for (int r = 0; r < n; ++r) samples.right[r] = SampleAt(right, chroma.offset, r, 0);
    edges.right = samples.right;
  }
  if (!vertical) return edges;
  if (around.mcus[0][1] != nullptr) {
    FillRow(around, 0, chroma, n - 1, samples.above);
    edges.above = samples.above;
  }
  if (around.mcus[2][1] != nullptr) {
    FillRow(around, 2, chroma, 0, samples.below);
    edges.below = samples.below;
  }
  return edges;
}

// The filters double the chroma's resolution, no more.
bool CanInterpolate(const ComponentOutputFormat& format, const McuNeighbourhood& around, int blockSize) {
  return IsUsableComponentFormat(format) && format.hmax == 2 && format.vmax <= 2 && around.mcus[1][1] != nullptr &&
         blockSize >= 1 && blockSize <= kMaxBlockSide;
}

// The interpolated samples of chroma block `chroma` of MCU (column, row) of
// a frame whose MCUs are 2 x vmax blocks of blockSize samples a side.
void BuildSmoothChromaPlane(const KernelTable& kernels, const JpegFrame& frame, const McuNeighbourhood& around,
                            const ChromaBlock& chroma, int vmax, int column, int row, McuPlane& plane) {
  const int mcuWidth = chroma.size * 2, mcuHeight = chroma.size * vmax;
  // The MCU's pixels inside the image at the read's size; a partial MCU's
  // chroma repeats its last valid sample beyond them.
  const int scale = kMaxBlockSide / chroma.size;
  const int validWidth = std::clamp(CeilDiv(frame.width, scale) - column * mcuWidth, 1, mcuWidth);
  const int validHeight = std::clamp(CeilDiv(frame.height, scale) - row * mcuHeight, 1, mcuHeight);
  EdgeSamples samples;
  ChromaEdges edges = EdgesOf(around, chroma, vmax == 2, samples);
  edges.validColumns = (validWidth + 1) / 2;
  edges.validRows = (validHeight + vmax - 1) / vmax;
  const ChromaNeighbourhood neighbourhood =
      GatherChromaNeighbourhood(around.mcus[1][1][chroma.offset], chroma.size, edges);
  if (vmax == 2) {
    kernels.upsample_smooth_2x2(neighbourhood, plane);
  } else {
    kernels.upsample_smooth_2x1(neighbourhood, plane);
  }
}

// Whether MCU (column, row) lies wholly inside the frame, at full size and so
// at every reduced one: then no sample of it stands in for ones beyond the
// image.
bool LiesInsideFrame(const JpegFrame& frame, const ComponentOutputFormat& format, int column, int row) {
  const int64_t width = int64_t{kMaxBlockSide} * format.hmax, height = int64_t{kMaxBlockSide} * format.vmax;
  return (column + 1) * width <= frame.width && (row + 1) * height <= frame.height;
}

// The stored MCUs around MCU (column, row) that lie inside `stored`.
McuNeighbourhood StoredNeighbourhood(PrivateState& state, const UnitWindow& stored, int column, int row) {
  McuNeighbourhood around{};
  const int blocks = ContextBlocksPerMcu(state.markers.frame);
  for (int dy = -1; dy <= 1; ++dy) {
    const int y = row + dy;
    if (y < stored.first_row || y >= stored.end_row) continue;
    const CoefficientBlock* rowStart = StoredMcu(state, 0, y);
    for (int dx = -1; dx <= 1; ++dx) {
      const int x = column + dx;
      if (x >= stored.first_column && x < stored.end_column) around.mcus[dy + 1][dx + 1] = rowStart + x * blocks;
    }
  }
  return around;
}

}  // namespace

int ContextBlocksPerMcu(const JpegFrame& frame) {
  int blocks = 0;
  for (int i = 0; i < frame.component_count; ++i) blocks += frame.components[i].h * frame.components[i].v;
  return blocks;
}

int64_t ContextPlaneBytes(const JpegFrame& frame, int mcusAcross) {
  if (frame.components == nullptr || mcusAcross < 1) return 0;
  return int64_t{kContextRows} * mcusAcross * ContextBlocksPerMcu(frame) * int64_t{sizeof(CoefficientBlock)};
}

bool HasContextPlanes(const PrivateState& state) {
  const int64_t needed = ContextPlaneBytes(state.markers.frame, state.output.mcus_across);
  return state.output.line_planes != nullptr && needed > 0 && state.output.line_plane_bytes >= needed;
}

CoefficientBlock* StoredMcu(PrivateState& state, int column, int row) {
  const int blocks = ContextBlocksPerMcu(state.markers.frame);
  const int64_t index = (int64_t{row % kContextRows} * state.output.mcus_across + column) * blocks;
  return reinterpret_cast<CoefficientBlock*>(state.output.line_planes) + index;
}

bool InterpolatesAtScale(const JpegFrame& frame, int scale) {
  // An eighth read's blocks are single samples, and a reduced 4:2:0 read
  // copies its chroma transformed one size larger.
  return scale == 1 || ((scale == 2 || scale == 4) && frame.v_max == 1);
}

void OutputSmoothMcu(const KernelTable& kernels, const JpegFrame& frame, const ComponentOutputFormat& format,
                     const McuNeighbourhood& around, int blockSize, int column, int row, const McuTarget& target) {
  if (!CanInterpolate(format, around, blockSize)) return;
  const SmoothMcuKernel packed = blockSize == kMaxBlockSide ? format.smoothMcu
                                 : blockSize == 4           ? format.smoothHalfSizeMcu
                                 : blockSize == 2           ? format.smoothQuarterSizeMcu
                                                            : nullptr;
  if (packed != nullptr && LiesInsideFrame(frame, format, column, row) && packed(around, target)) return;
  const CoefficientBlock* blocks = around.mcus[1][1];
  McuPlanes planes;
  for (int c = 0; c < std::min(format.componentCount, kMaxOutputComponents); ++c) {
    if (format.horizontal[c] * format.vertical[c] != 1) {
      BuildComponentPlane(blocks, BlocksOf(format), format, c, blockSize, false, target.visible,
                          planes.component[c]);
    } else {
      BuildSmoothChromaPlane(kernels, frame, around, ChromaBlock{BlocksBefore(format, c), blockSize}, format.vmax,
                             column, row, planes.component[c]);
    }
  }
  WriteComponentPlanes(planes, format, blockSize * format.hmax, blockSize * format.vmax, target);
}

void OutputStoredMcu(PrivateState& state, const ComponentOutputFormat& format, const UnitWindow& stored,
                     int blockSize, int column, int row) {
  const JpegFrame& frame = state.markers.frame;
  McuTarget target{};
  if (!PlaceMcu(state, blockSize * frame.h_max, blockSize * frame.v_max, column, row, target)) return;
  OutputStoredMcu(state, format, stored, blockSize, column, row, target);
}

void OutputStoredMcu(PrivateState& state, const ComponentOutputFormat& format, const UnitWindow& stored, int blockSize,
                     int column, int row, const McuTarget& target) {
  OutputSmoothMcu(*state.input.kernels, state.markers.frame, format, StoredNeighbourhood(state, stored, column, row),
                  blockSize, column, row, target);
}

void OutputStoredChromaScanMcu(PrivateState& state, const UnitWindow& stored, int blockSize, int column, int row) {
  const JpegFrame& frame = state.markers.frame;
  const ComponentOutputFormat format = MakeComponentOutputFormat(state, FormatComponents::kFrame);
  const McuNeighbourhood around = StoredNeighbourhood(state, stored, column, row);
  if (!CanInterpolate(format, around, blockSize)) return;
  McuTarget target{};
  if (!PlaceMcu(state, blockSize * frame.h_max, blockSize * frame.v_max, column, row, target)) return;
  const JpegScan& scan = *state.progression.scan;
  McuPlanes planes;
  for (int i = 0; i < scan.ns; ++i) {
    const int component = scan.components[i].frame_index;
    BuildSmoothChromaPlane(*state.input.kernels, frame, around, ChromaBlock{i, blockSize}, frame.v_max, column, row,
                           planes.component[component]);
    WriteSingleComponentPlane(planes, component, format, blockSize, target);
  }
}

}  // namespace halvora::jpeg
