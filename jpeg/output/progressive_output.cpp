#include "jpeg/output/progressive_output.h"

#include <algorithm>
#include <cstdint>

#include "jpeg/entropy/coefficient_buffer.h"
#include "jpeg/output/component_format.h"
#include "jpeg/output/smooth_output.h"
#include "jpeg/kernels/kernel_table.h"
#include "jpeg/output/read_size.h"
#include "jpeg/markers/tables.h"
#include "jpeg/output/raw_planes.h"
#include "jpeg/entropy/region_index.h"
#include "jpeg/output/smooth_output.h"

namespace halvora::jpeg {

namespace {

// The output reads each coefficient plane once, front to back, faster than
// memory hands the blocks over unasked: the blocks eight ahead in the plane
// (an address, never dereferenced here) are asked for early.
void AskForBlocksAhead(const CoefficientBlock& block) {
#if defined(__GNUC__)
  const uintptr_t ahead = reinterpret_cast<uintptr_t>(&block) + 8 * sizeof(CoefficientBlock);
  __builtin_prefetch(reinterpret_cast<const void*>(ahead));
  __builtin_prefetch(reinterpret_cast<const void*>(ahead + 64));
#else
  static_cast<void>(block);
#endif
}

// Dequantises and transforms the blocks of MCU (column, row) from the
// coefficient buffer into `blocks`, in the buffer's order.
void TransformMcu(PrivateState& state, const CoefficientLayout& layout, const ReadSize& size, int column, int row,
                  CoefficientBlock* blocks) {
  const KernelTable& kernels = *state.input.kernels;
  const JpegFrame& frame = state.markers.frame;
  for (int c = 0; c < frame.component_count; ++c) {
    const JpegComponent& component = frame.components[c];
    const int32_t* factors = QuantTableAt(state.tables, component.tq).entries;
    const InverseDctKernel inverseDct = kernels.active_inverse_dct[ComponentTransformIndex(size, component)];
    for (int b = 0; b < component.h * component.v; ++b) {
      CoefficientBlock& block = blocks[layout.first_block[c] + b];
      const CoefficientBlock& source =
          CoefficientBlockAt(state, layout, column, row, c, b % component.h, b / component.h);
      AskForBlocksAhead(source);
      kernels.active_dequantize(source, factors, block);
      inverseDct(block);
    }
  }
}

void WriteReplicatedMcu(PrivateState& state, const CoefficientLayout& layout, const ComponentOutputFormat& format,
                        const ReadSize& size, int column, int row) {
  McuBuffer& mcu = *state.output.mcu_buffer;
  TransformMcu(state, layout, size, column, row, mcu.blocks);
  const JpegFrame& frame = state.markers.frame;
  McuTarget target{};
  if (!PlaceMcu(state, size.block_size * frame.h_max, size.block_size * frame.v_max, column, row, target)) return;
  if (size.scale > 1) {
    OutputReducedMcu(mcu.blocks, layout.blocks_per_mcu, format, size.block_size, size.simple_sampling, target);
  } else {
    OutputMcuPerComponent(mcu.blocks, layout.blocks_per_mcu, format, target);
  }
}

void WriteRawMcu(PrivateState& state, const CoefficientLayout& layout, const ReadSize& size, int column, int row) {
  McuBuffer& mcu = *state.output.mcu_buffer;
  TransformMcu(state, layout, size, column, row, mcu.blocks);
  const JpegFrame& frame = state.markers.frame;
  for (int c = 0; c < frame.component_count; ++c) {
    const JpegComponent& component = frame.components[c];
    for (int b = 0; b < component.h * component.v; ++b) {
      WriteRawBlock(state, mcu.blocks[layout.first_block[c] + b], c, column * component.h + b % component.h,
                    row * component.v + b / component.h, size.block_size);
    }
  }
}

// The MCUs whose neighbours the window's MCUs are: one more on each side,
// and rows above and below only when the chroma is halved vertically.
UnitWindow NeighboursOf(const UnitWindow& window, const PrivateState& state) {
  const int rows = state.markers.frame.v_max == 2 ? 1 : 0;
  return {std::max(window.first_column - 1, 0), std::min(window.end_column + 1, state.output.mcus_across),
          std::max(window.first_row - rows, 0), std::min(window.end_row + rows, state.output.mcus_down)};
}

// Interpolated chroma: the rows of the window and of its neighbours roll
// through the context planes, each MCU transformed once, the row below an
// MCU row before that row is written.
void WriteSmoothImage(PrivateState& state, const CoefficientLayout& layout, const ComponentOutputFormat& format,
                      const ReadSize& size, const UnitWindow& window) {
  const UnitWindow stored = NeighboursOf(window, state);
  const int rowsAhead = state.markers.frame.v_max == 2 ? 1 : 0;
  int nextRow = stored.first_row;
  for (int row = window.first_row; row < window.end_row; ++row) {
    for (; nextRow < std::min(row + rowsAhead + 1, stored.end_row); ++nextRow) {
      for (int column = stored.first_column; column < stored.end_column; ++column) {
        TransformMcu(state, layout, size, column, nextRow, StoredMcu(state, column, nextRow));
      }
    }
    for (int column = window.first_column; column < window.end_column; ++column) {
      OutputStoredMcu(state, format, stored, size.block_size, column, row);
    }
  }
}

}  // namespace

int ProgressiveOutputRefusal(const PrivateState& state) {
  if (RawPlaneList(state) != nullptr) return JpegSuccess;
  const ComponentOutputFormat format = MakeComponentOutputFormat(state, FormatComponents::kFrame);
  return IsUsableComponentFormat(format) ? JpegSuccess : JpegErrNotSupported;
}

int OutputProgressiveImage(JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  if (state.progression.progressive_scans == 0 || state.progression.coefficient_buffer == nullptr) return JpegSuccess;
  const int refusal = ProgressiveOutputRefusal(state);
  if (refusal != JpegSuccess) return refusal;
  KernelTable& kernels = *state.input.kernels;
  ActivateDctMethod(kernels, record.state.dct_method);
  MatchQuantTablesToMethod(state.tables, record.state.dct_method);
  const ComponentOutputFormat format = MakeComponentOutputFormat(state, FormatComponents::kFrame);
  const CoefficientLayout layout = LayoutOf(state);
  const bool raw = RawPlaneList(state) != nullptr;
  const ReadSize size = ReadSizeOf(state, raw);
  // Only the MCUs that meet the region are written.
  const UnitWindow window =
      WindowOf(state.region.scan_region, size.block_size * state.markers.frame.h_max,
               size.block_size * state.markers.frame.v_max, state.output.mcus_across, state.output.mcus_down, 0);
  if (!raw && state.output.per_component_output == 2 && HasContextPlanes(state)) {
    WriteSmoothImage(state, layout, format, size, window);
  } else {
    for (int row = window.first_row; row < window.end_row; ++row) {
      for (int column = window.first_column; column < window.end_column; ++column) {
        if (raw) {
          WriteRawMcu(state, layout, size, column, row);
        } else {
          WriteReplicatedMcu(state, layout, format, size, column, row);
        }
      }
    }
  }
  kernels.leave_simd_state();
  return JpegSuccess;
}

}  // namespace halvora::jpeg
