#include "jpeg/entropy/sequential_region.h"

#include <algorithm>

#include "jpeg/output/read_size.h"
#include "jpeg/output/reconstruct.h"
#include "jpeg/entropy/region_index.h"
#include "jpeg/entropy/scan_position.h"
#include "jpeg/entropy/sequential_scan.h"

namespace halvora::jpeg {

namespace {

// The MCUs the region needs, widened by `margin` MCUs on every side.
UnitWindow RegionWindowOf(const PrivateState& state, const JpegScan& scan, const McuGrid& grid, int margin) {
  const JpegFrame& frame = state.markers.frame;
  const int scale = OutputScale(state.read.io_type);
  int unitWidth = frame.mcu_width;
  int unitHeight = frame.mcu_height;
  if (scan.ns == 1) {
    unitWidth = 8 * frame.h_max / scan.components[0].h;
    unitHeight = 8 * frame.v_max / scan.components[0].v;
  }
  return WindowOf(state.region.scan_region, unitWidth / scale, unitHeight / scale, grid.per_row, grid.rows, margin);
}

// Interpolated chroma blends each MCU with its neighbours, so those are
// decoded one MCU further on every side (the context planes exist only for
// reads that interpolate).
UnitWindow DecodedWindowOf(const PrivateState& state, const JpegScan& scan, const McuGrid& grid) {
  return RegionWindowOf(state, scan, grid, state.output.line_planes != nullptr ? 1 : 0);
}

// The MCUs of `written` that lie in the region: the ones actually written.
UnitWindow InsideRegion(const UnitWindow& written, const UnitWindow& region) {
  return {std::max(written.first_column, region.first_column), std::min(written.end_column, region.end_column),
          std::max(written.first_row, region.first_row), std::min(written.end_row, region.end_row)};
}

// Puts the input at the start of MCU row `target`: at the recorded row
// nearest above it, from which the rows in between are passed over later.
// The row to decode from, or a negative code.
int PositionNear(PrivateState& state, JpegScan& scan, const McuGrid& grid, int target) {
  RegionIndex& index = *state.region.index;
  const bool atStart = state.progression.scan_at_start != 0;
  state.progression.scan_at_start = 0;
  const int from = NearestRecordedRow(index, state.progression.scan_ordinal, target, grid.rows);
  // A scan that just began decodes from its start (recording its rows as it
  // goes) unless a recorded row lies nearer; one the index has no room for
  // cannot be found again once it has moved on.
  if (from <= 0 && atStart) return 0;
  if (from < 0) return JpegErrNotSupported;
  const int restored =
      RestoreEntry(*EntryFor(index, state.progression.scan_ordinal, from, grid.rows), state.input, scan);
  return restored != JpegSuccess ? restored : from;
}

// The image's last scan completes the read; an earlier single-component scan
// leaves the rest of its data to the marker search.
int RegionComplete(const PrivateState& state, const JpegScan& scan) {
  const bool lastScan = state.progression.non_interleaved == 0 ||
                        state.input.sequential_component_count + scan.ns >= state.markers.frame.component_count;
  return lastScan ? JpegRoiSuccess : JpegSuccess;
}

struct RowSpan {
  int row;
  int first_column;
  int end_column;  // the last row of the region ends after its last MCU
};

// One MCU row from `span.first_column`: MCUs inside the window are decoded
// and written, the others passed over. 0, 1 when interrupted, or a negative code.
int DecodeRegionRow(JPEG_PROPERTIES& record, JpegScan& scan, const McuGrid& grid, const UnitWindow& window,
                    const RowSpan& span) {
  PrivateState& state = Private(record);
  JpegStream& stream = state.input;
  const bool rowInWindow = span.row >= window.first_row;
  const bool lastRow = span.row == window.end_row - 1;
  const UnitWindow region = RegionWindowOf(state, scan, grid, 0);
  const McuDecoders decoding = DequantizingDecoders(*stream.kernels, nullptr);
  const McuDecoders passing = PassingDecoders(*stream.kernels);
  for (int column = span.first_column; column < span.end_column; ++column) {
    const bool inside = rowInWindow && column >= window.first_column && column < window.end_column;
    const int counted = CountMcu(stream, state.progression, state, grid);
    if (counted < 0) return counted;
    if (DecodeMcuBlocks(stream, scan, *state.output.mcu_buffer, inside ? decoding : passing) < 0) return JpegErrData;
    if (HandleRestart(stream, scan, grid.per_row, grid.rows, column, span.row) < 0) return JpegErrBadRst;
    if (!inside) continue;
    const UnitWindow written = InsideRegion(ReconstructMcu(state, column, span.row, grid.blocks), region);
    const bool lastMcu = lastRow && column == window.end_column - 1;
    const bool wroteAny = written.first_column < written.end_column && written.first_row < written.end_row;
    if (record.state.interrupt_request != 0 && !lastMcu && wroteAny) {
      return StopAfterUnit(scan, record.state.region, grid.per_row, grid.rows, column, span.row,
                           WrittenRegion(written));
    }
  }
  return JpegSuccess;
}

}  // namespace

int DecodeSequentialRegion(JpegStream& stream, JpegScan& scan, JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  const McuGrid grid = SequentialGridOf(state, scan);
  const UnitWindow window = DecodedWindowOf(state, scan, grid);
  int row = scan.resume_row;
  int column = scan.resume_column;
  if (row == 0 && column == 0) {
    row = PositionNear(state, scan, grid, window.first_row);
    if (row < 0) return row;
  }
  for (; row < window.end_row; ++row, column = 0) {
    if (column == 0) {
      if (RegionEntry* entry = EntryFor(*state.region.index, state.progression.scan_ordinal, row, grid.rows)) {
        RecordEntry(stream, scan, *entry);
      }
    }
    const int endColumn = row == window.end_row - 1 ? window.end_column : grid.per_row;
    const int result = DecodeRegionRow(record, scan, grid, window, RowSpan{row, column, endColumn});
    if (result != JpegSuccess) return result;
  }
  scan.resume_column = 0;
  scan.resume_row = 0;
  return RegionComplete(state, scan);
}

}  // namespace halvora::jpeg
