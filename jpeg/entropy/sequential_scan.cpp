#include "jpeg/entropy/sequential_scan.h"

#include <algorithm>
#include <cstring>

#include "jpeg/entropy/ac_skip_table.h"
#include "jpeg/entropy/mcu_blocks.h"
#include "jpeg/interface/work_memory.h"
#include "jpeg/markers/frame.h"
#include "jpeg/kernels/kernel_table.h"
#include "jpeg/output/reconstruct.h"
#include "jpeg/entropy/scan_position.h"
#include "jpeg/input/bit_reader.h"

namespace halvora::jpeg {

namespace {

int McuBlockCount(const JpegScan& scan) {
  if (scan.ns == 1) return 1;
  int blocks = 0;
  for (int i = 0; i < scan.ns; ++i) blocks += scan.components[i].h * scan.components[i].v;
  return blocks;
}

// Building a skip table costs about what passing over a few thousand
// blocks' codes one by one does: smaller scans go without.
constexpr int64_t kBlocksWorthSkipTables = 16384;

// Whether the scan passes AC codes over through skip tables: some block of
// its MCUs takes its DC term alone, the scan is large enough, and the tables
// fit in the work memory. A read that stops after every MCU would build
// them again at every call, so it goes without.
bool UsesSkipTables(const PrivateState& state, const DirectOutput& direct, const JpegScan& scan, const McuGrid& grid) {
  const bool dcAlone = std::any_of(direct.dc_alone, direct.dc_alone + std::min(grid.blocks, kMcuBufferBlocks),
                                   [](bool alone) { return alone; });
  return dcAlone && int64_t{grid.blocks} * grid.per_row * grid.rows >= kBlocksWorthSkipTables &&
         WorkMemoryFits(state, int64_t{scan.ns} * static_cast<int64_t>(sizeof(AcSkipTable)));
}

}  // namespace

McuGrid SequentialGridOf(const PrivateState& state, const JpegScan& scan) {
  const JpegFrame& frame = state.markers.frame;
  if (scan.ns == 1) {
    const ScanComponent& component = scan.components[0];
    return {CeilDiv(frame.width, 8 * frame.h_max / component.h), CeilDiv(frame.height, 8 * frame.v_max / component.v),
            1};
  }
  return {state.output.mcus_across, state.output.mcus_down, McuBlockCount(scan)};
}

McuDecoders DequantizingDecoders(const KernelTable& kernels, const bool* dcAlone) {
  McuDecoders decoders{};
  bool anyAlone = false;
  for (int i = 0; i < kMcuBufferBlocks; ++i) {
    const bool alone = dcAlone != nullptr && dcAlone[i];
    decoders.blocks[i] = alone ? kernels.active_decode_dc : kernels.active_decode_block;
    // A block whose transform reads its DC term alone is read nowhere else.
    decoders.clear = decoders.clear || !alone;
    anyAlone = anyAlone || alone;
  }
  // Blocks all decoded alike go through one call for the whole MCU.
  if (!anyAlone) {
    decoders.whole = kernels.active_decode_mcu;
  } else if (!decoders.clear) {  // every block alone
    decoders.whole = kernels.active_decode_mcu_dc;
  }
  return decoders;
}

McuDecoders PassingDecoders(const KernelTable& kernels) {
  McuDecoders decoders{};
  for (DecodeBlockKernel& decoder : decoders.blocks) decoder = kernels.skip_block;
  return decoders;
}

int DecodeMcuBlocks(JpegStream& stream, JpegScan& scan, McuBuffer& mcu, const McuDecoders& decoders) {
  if (decoders.clear) std::memset(mcu.blocks, 0, sizeof(CoefficientBlock) * McuBlockCount(scan));
  if (decoders.whole != nullptr) return decoders.whole(stream, scan, mcu.blocks);
  return DecodeEachMcuBlock(scan, [&](const ScanComponent& component, int16_t& prediction, int block) {
    return decoders.blocks[block](stream, *component.dc_table, *component.ac_table, prediction,
                                  component.quant_table->entries, mcu.blocks[block]);
  });
}

int CountMcu(JpegStream& stream, ProgressionState& progression, const PrivateState& state, const McuGrid& grid) {
  ++progression.units_decoded;
  if (!DataRanOut(stream)) return JpegSuccess;
  progression.units_without_data += grid.blocks;
  const JpegFrame& frame = state.markers.frame;
  int64_t frameBlocks = 0;
  for (int i = 0; i < frame.component_count; ++i) frameBlocks += frame.components[i].h * frame.components[i].v;
  frameBlocks *= int64_t{state.output.mcus_across} * state.output.mcus_down;
  return progression.units_without_data > frameBlocks ? JpegErrData : JpegSuccess;
}

JpegRegion WrittenRegion(const UnitWindow& written) {
  return {written.first_column, written.first_row, written.end_column - 1, written.end_row - 1};
}

int DecodeSequentialScan(JpegStream& stream, JpegScan& scan, JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  const McuGrid grid = SequentialGridOf(state, scan);
  const int firstRow = scan.resume_row;
  const int firstColumn = scan.resume_column;
  const std::optional<DirectOutput> direct = PlanDirectOutput(state);
  const McuDecoders decoders = DequantizingDecoders(*stream.kernels, direct ? direct->dc_alone : nullptr);
  const ScanSkipTables skipTables(
      scan, direct && record.state.interrupt_request == 0 && UsesSkipTables(state, *direct, scan, grid));
  for (int row = firstRow; row < grid.rows; ++row) {
    for (int column = row == firstRow ? firstColumn : 0; column < grid.per_row; ++column) {
      int result = CountMcu(stream, state.progression, state, grid);
      if (result < 0) return result;
      result = DecodeMcuBlocks(stream, scan, *state.output.mcu_buffer, decoders);
      if (result < 0) return result;
      result = HandleRestart(stream, scan, grid.per_row, grid.rows, column, row);
      if (result < 0) return result;
      const UnitWindow written = direct ? ReconstructMcuDirect(state, *direct, column, row, grid.blocks)
                                        : ReconstructMcu(state, column, row, grid.blocks);
      // Interpolated chroma writes an MCU once its neighbours are in: a call
      // that completed none goes on to the next MCU.
      const bool wroteAny = written.first_column < written.end_column;
      if (record.state.interrupt_request != 0 && wroteAny) {
        return StopAfterUnit(scan, record.state.region, grid.per_row, grid.rows, column, row, WrittenRegion(written));
      }
    }
  }
  scan.resume_column = 0;
  scan.resume_row = 0;
  return JpegSuccess;
}

}  // namespace halvora::jpeg
