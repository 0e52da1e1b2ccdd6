#include "jpeg/output/reconstruct.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "jpeg/entropy/sequential_scan.h"
#include "jpeg/output/component_format.h"
#include "jpeg/output/smooth_output.h"
#include "jpeg/kernels/clip_mcu.h"
#include "jpeg/kernels/kernel_table.h"
#include "jpeg/kernels/component_output.h"
#include "jpeg/output/read_size.h"
#include "jpeg/output/raw_planes.h"

namespace halvora::jpeg {

namespace {

// The inverse DCT entry (as TransformIndex numbers them) of each block of
// the scan's MCU at the read's size; under simple sampling the blocks of a
// component of one block per MCU one size larger.
void PickTransformIndexes(const PrivateState& state, const ReadSize& size, int (&picked)[kMcuBufferBlocks]) {
  const int index = TransformIndex(size.scale);
  int next = 0;
  if (size.simple_sampling) {
    const JpegScan& scan = *state.progression.scan;
    for (int i = 0; i < scan.ns && next < kMcuBufferBlocks; ++i) {
      const ScanComponent& component = scan.components[i];
      const int blocks = scan.ns == 1 ? 1 : component.h * component.v;
      const int transform = component.h * component.v == 1 ? index - 1 : index;
      for (int b = 0; b < blocks && next < kMcuBufferBlocks; ++b) picked[next++] = transform;
    }
  }
  while (next < kMcuBufferBlocks) picked[next++] = index;
}

void TransformBlocks(const PrivateState& state, McuBuffer& mcu, int blockCount, const ReadSize& size) {
  int indexes[kMcuBufferBlocks];
  PickTransformIndexes(state, size, indexes);
  for (int i = 0; i < blockCount; ++i) state.input.kernels->active_inverse_dct[indexes[i]](mcu.blocks[i]);
}

// Block (bx, by) of a component of a partial scan covers its replicated
// extent at that many extents from the MCU's corner.
McuTarget BlockTarget(const McuTarget& mcu, const BlockExtent& extent, int bx, int by) {
  const int left = bx * extent.width, top = by * extent.height;
  McuTarget block = mcu;
  block.topLeft += top * mcu.lineBytes + ptrdiff_t{left} * mcu.channels;
  block.visible = {mcu.visible.left - left, mcu.visible.top - top, mcu.visible.right - left,
                   mcu.visible.bottom - top};
  return block;
}

// A scan of fewer components than the frame: each block goes into its
// component's bytes only, over its replicated extent (the whole MCU's worth of
// pixels for a scan of one component, whose MCU is that one block).
void OutputScanBlocks(const PrivateState& state, const McuBuffer& mcu, const ReadSize& size,
                      const McuTarget& target) {
  const ComponentOutputFormat format = MakeComponentOutputFormat(state, FormatComponents::kFrame);
  const JpegScan& scan = *state.progression.scan;
  int next = 0;
  for (int i = 0; i < scan.ns; ++i) {
    const int component = scan.components[i].frame_index;
    const BlockExtent extent = SingleComponentBlockExtent(format, component, size.block_size);
    const int across = scan.ns == 1 ? 1 : scan.components[i].h;
    const int down = scan.ns == 1 ? 1 : scan.components[i].v;
    for (int by = 0; by < down; ++by) {
      for (int bx = 0; bx < across; ++bx, ++next) {
        OutputSingleComponentBlock(mcu.blocks[next], component, format, size.block_size, size.simple_sampling,
                                   BlockTarget(target, extent, bx, by));
      }
    }
  }
}

void OutputPerComponent(const PrivateState& state, const McuBuffer& mcu, int blockCount, const ReadSize& size,
                        const McuTarget& target) {
  if (state.progression.non_interleaved != 0) {
    OutputScanBlocks(state, mcu, size, target);
    return;
  }
  const ComponentOutputFormat format = MakeComponentOutputFormat(state, FormatComponents::kScan);
  if (size.scale > 1) {
    OutputReducedMcu(mcu.blocks, blockCount, format, size.block_size, size.simple_sampling, target);
  } else {
    OutputMcuPerComponent(mcu.blocks, blockCount, format, target);
  }
}

// A scan of an image coded in scans of fewer components whose components
// are all chroma sampled 1x1: its MCUs are the frame's, one block of each.
bool IsChromaOnlyScan(const PrivateState& state) {
  if (state.progression.non_interleaved == 0) return false;
  const JpegScan& scan = *state.progression.scan;
  for (int i = 0; i < scan.ns; ++i) {
    if (scan.components[i].h != 1 || scan.components[i].v != 1) return false;
  }
  return true;
}

// Interpolated chroma needs the MCUs around the one written: MCU (column,
// row) is kept in the context planes and the MCUs whose last neighbour it is
// are written by `write`: the one to its left (and above it, when the chroma
// is halved vertically), and at the right and bottom edges the ones that have
// no neighbour there. The MCUs written, as a window of the MCU grid.
template <typename Write>
UnitWindow OutputDelayed(PrivateState& state, const McuBuffer& mcu, int blockCount, int column, int row,
                         Write write) {
  std::copy(mcu.blocks, mcu.blocks + blockCount, StoredMcu(state, column, row));
  const bool lastColumn = column == state.output.mcus_across - 1;
  const bool lastRow = row == state.output.mcus_down - 1;
  const bool waitsForRowBelow = state.markers.frame.v_max == 2;
  UnitWindow written{column, column, row, row};
  for (int y = waitsForRowBelow ? row - 1 : row; y <= row; ++y) {
    if (y < 0 || (y == row && waitsForRowBelow && !lastRow)) continue;
    const int first = column > 0 ? column - 1 : column;
    const int end = lastColumn ? column + 1 : column;
    for (int x = first; x < end; ++x) write(x, y);
    if (first == end) continue;
    written = {first, end, written.first_row == written.end_row ? y : written.first_row, y + 1};
  }
  return written;
}

// Writes MCU (column, row) through the interpolating output, when that is the
// image's output: the MCUs it completes, or nullopt for other output.
std::optional<UnitWindow> OutputInterpolated(PrivateState& state, const McuBuffer& mcu, int blockCount,
                                             const ReadSize& size, int column, int row) {
  if (state.output.per_component_output != 2 || !HasContextPlanes(state)) return std::nullopt;
  const UnitWindow image{0, state.output.mcus_across, 0, state.output.mcus_down};
  if (IsChromaOnlyScan(state)) {
    return OutputDelayed(state, mcu, blockCount, column, row, [&](int x, int y) {
      OutputStoredChromaScanMcu(state, image, size.block_size, x, y);
    });
  }
  // A scan that names a component twice, or one with the luminance of an
  // image coded in several scans, carries other blocks than the planes keep:
  // its MCUs are replicated instead.
  if (state.progression.non_interleaved != 0 || blockCount != ContextBlocksPerMcu(state.markers.frame)) {
    return std::nullopt;
  }
  const ComponentOutputFormat format = MakeComponentOutputFormat(state, FormatComponents::kScan);
  return OutputDelayed(state, mcu, blockCount, column, row, [&](int x, int y) {
    OutputStoredMcu(state, format, image, size.block_size, x, y);
  });
}

}  // namespace

UnitWindow ReconstructMcu(PrivateState& state, int column, int row, int blockCount) {
  McuBuffer& mcu = *state.output.mcu_buffer;
  const bool raw = RawPlaneList(state) != nullptr;
  const ReadSize size = ReadSizeOf(state, raw);
  TransformBlocks(state, mcu, blockCount, size);
  const UnitWindow self{column, column + 1, row, row + 1};
  if (raw) {
    WriteRawScanMcu(state, mcu.blocks, blockCount, column, row, size.block_size);
    return self;
  }

  if (const std::optional<UnitWindow> written = OutputInterpolated(state, mcu, blockCount, size, column, row)) {
    return *written;
  }
  const JpegFrame& frame = state.markers.frame;
  McuTarget target{};
  if (!PlaceMcu(state, frame.mcu_width / size.scale, frame.mcu_height / size.scale, column, row, target)) return self;
  // The reduced reads have no fused routines.
  if (state.output.per_component_output != 0 || size.scale > 1) {
    OutputPerComponent(state, mcu, blockCount, size, target);
    return self;
  }
  state.input.kernels->output_mcu(mcu, target);
  return self;
}

std::optional<DirectOutput> PlanDirectOutput(const PrivateState& state) {
  const PixelRect& region = state.region.scan_region;
  const bool wholeImage = region.left == 0 && region.top == 0 && region.right == 0 && region.bottom == 0;
  if (!wholeImage || RawPlaneList(state) != nullptr || state.progression.non_interleaved != 0 ||
      state.progression.scan == nullptr) {
    return std::nullopt;
  }
  // As in OutputInterpolated: a scan with other blocks than the planes keep
  // is replicated, the longer way.
  const bool interpolated = state.output.per_component_output == 2 && HasContextPlanes(state);
  if (interpolated &&
      SequentialGridOf(state, *state.progression.scan).blocks != ContextBlocksPerMcu(state.markers.frame)) {
    return std::nullopt;
  }
  const ReadSize size = ReadSizeOf(state, false);
  const WorkingFields& work = state.read.work;
  const JpegFrame& frame = state.markers.frame;
  DirectOutput direct{};
  int indexes[kMcuBufferBlocks];
  PickTransformIndexes(state, size, indexes);
  for (int i = 0; i < kMcuBufferBlocks; ++i) {
    direct.transforms[i] = state.input.kernels->active_inverse_dct[indexes[i]];
    direct.dc_alone[i] = indexes[i] == kOneSampleTransform;
  }
  // The reduced reads have no fused routines.
  const bool fused = state.output.per_component_output == 0 && size.scale == 1;
  direct.output = fused ? state.input.kernels->output_mcu : nullptr;
  if (!fused) direct.format = MakeComponentOutputFormat(state, FormatComponents::kScan);
  direct.block_size = size.block_size;
  direct.simple_sampling = size.simple_sampling;
  direct.top_line = state.input.top_line;
  direct.line_bytes = work.dib_line_bytes;
  direct.channels = work.dib_channels;
  direct.mcu_width = frame.mcu_width / size.scale;
  direct.mcu_height = frame.mcu_height / size.scale;
  direct.dib_width = work.dib_width;
  direct.dib_height = work.dib_height;
  direct.whole_columns = std::max(work.dib_width, 0) / direct.mcu_width;
  direct.whole_rows = static_cast<int32_t>(std::abs(int64_t{work.dib_height}) / direct.mcu_height);
  direct.interpolated = interpolated;
  // A packed half-size form, where there is one, goes before the row writer.
  const bool packedHalfSize = size.block_size == 4 && size.simple_sampling && direct.format.halfSizeMcu != nullptr;
  if (!fused && !interpolated && !packedHalfSize && direct.format.reducedMcu != nullptr) {
    direct.row_writer =
        ReducedRowWriterFor(direct.format, size.block_size, size.simple_sampling, direct.channels, direct.line_bytes);
  }
  return direct;
}

namespace {

bool IsInsideDib(const DirectOutput& direct, int column, int row) {
  return column < direct.whole_columns && row < direct.whole_rows;
}

// An MCU at the DIB's right or bottom edge, through the clipping. False when
// nothing of it lies in the DIB (one narrower or shorter than the image).
bool ClipDirectMcu(const DirectOutput& direct, int column, int row, McuTarget& target) {
  ClipMcu(PixelRect{}, direct.mcu_width, direct.mcu_height, column, row, direct.channels, direct.line_bytes,
          direct.top_line, direct.dib_width, direct.dib_height, &target);
  const PixelRect& visible = target.visible;
  return visible.left < visible.right && visible.top < visible.bottom;
}

// Where MCU (column, row) of a direct output lands: what the clipping gives,
// worked out without it for an MCU inside the DIB (kept small, so that the
// per-MCU loop holds it inline). False when nothing of the MCU is written.
bool PlaceDirectMcu(const DirectOutput& direct, int column, int row, McuTarget& target) {
  if (!IsInsideDib(direct, column, row)) return ClipDirectMcu(direct, column, row, target);
  const ptrdiff_t left = ptrdiff_t{column} * direct.mcu_width * direct.channels;
  target = {direct.top_line, left + ptrdiff_t{row} * direct.mcu_height * direct.line_bytes, direct.line_bytes,
            direct.channels, PixelRect{0, 0, direct.mcu_width, direct.mcu_height}};
  return true;
}

// The transformed MCU kept in the context planes, and the MCUs it completes
// written from there with interpolated chroma.
UnitWindow OutputInterpolatedDirect(PrivateState& state, const DirectOutput& direct, int column, int row,
                                    int blockCount) {
  const UnitWindow image{0, state.output.mcus_across, 0, state.output.mcus_down};
  return OutputDelayed(state, *state.output.mcu_buffer, blockCount, column, row, [&](int x, int y) {
    McuTarget target{};
    if (PlaceDirectMcu(direct, x, y, target)) {
      OutputStoredMcu(state, direct.format, image, direct.block_size, x, y, target);
    }
  });
}

}  // namespace

UnitWindow ReconstructMcuDirect(PrivateState& state, const DirectOutput& direct, int column, int row, int blockCount) {
  McuBuffer& mcu = *state.output.mcu_buffer;
  for (int i = 0; i < blockCount; ++i) direct.transforms[i](mcu.blocks[i]);
  if (direct.interpolated) return OutputInterpolatedDirect(state, direct, column, row, blockCount);
  const UnitWindow self{column, column + 1, row, row + 1};
  McuTarget target{};
  if (!PlaceDirectMcu(direct, column, row, target)) return self;
  const bool inside = IsInsideDib(direct, column, row);
  if (direct.output != nullptr) {
    direct.output(mcu, target);
  } else if (inside && direct.row_writer != nullptr) {
    direct.row_writer(mcu.blocks, direct.format, target);
  } else if (direct.block_size == 8) {
    OutputMcuPerComponent(mcu.blocks, blockCount, direct.format, target);
  } else {
    OutputReducedMcu(mcu.blocks, blockCount, direct.format, direct.block_size, direct.simple_sampling, target);
  }
  return self;
}

}  // namespace halvora::jpeg
