#include "jpeg/entropy/progressive_scan.h"

#include <cstring>

#include "jpeg/markers/frame.h"
#include "jpeg/entropy/coefficient_buffer.h"
#include "jpeg/entropy/progressive_blocks.h"
#include "jpeg/entropy/scan_position.h"

namespace halvora::jpeg {

namespace {

bool IsDcScan(const JpegScan& scan) { return scan.ss == 0 && scan.se == 0; }

// A DC scan codes coefficient 0 alone; an AC scan codes one component's band.
bool IsValidProgressiveScan(const JpegScan& scan) {
  if (IsDcScan(scan)) return true;
  return scan.ss > 0 && scan.ss <= scan.se && scan.se <= 63 && scan.ns == 1;
}

// The units a scan codes: the MCUs of the frame for a scan of several
// components, otherwise the blocks of its one component that hold image
// pixels, ceil(ceil(width H / Hmax) / 8) across and alike down.
struct UnitGrid {
  int per_row;
  int rows;
};

UnitGrid GridOf(const PrivateState& state, const JpegScan& scan) {
  if (scan.ns > 1) return {state.output.mcus_across, state.output.mcus_down};
  const JpegFrame& frame = state.markers.frame;
  const ScanComponent& component = scan.components[0];
  const int columns = CeilDiv(int64_t{frame.width} * component.h, frame.h_max);
  const int rows = CeilDiv(int64_t{frame.height} * component.v, frame.v_max);
  return {CeilDiv(columns, 8), CeilDiv(rows, 8)};
}

void DecodeDcBlock(JpegStream& stream, JpegScan& scan, int index, CoefficientBlock& block) {
  const ScanComponent& component = scan.components[index];
  if (scan.ah != 0) {
    DecodeDcRefine(stream, block, scan.al);
    return;
  }
  std::memset(block.values, 0, sizeof block.values);
  auto prediction = static_cast<int16_t>(scan.dc_predictions[index]);
  DecodeDcFirst(stream, *component.dc_table, block, prediction, scan.al);
  scan.dc_predictions[index] = prediction;
}

// One unit of the scan. Block decoders' failures are not looked at: damaged
// data decodes as far as it goes and the scan goes on.
void DecodeUnit(PrivateState& state, const CoefficientLayout& layout, JpegScan& scan, int column, int row) {
  JpegStream& stream = state.input;
  if (scan.ns > 1) {
    // Each component's blocks sit at that component's own place in the MCU,
    // whatever set of components the scan names and in whatever order.
    for (int i = 0; i < scan.ns; ++i) {
      const ScanComponent& component = scan.components[i];
      for (int v = 0; v < component.v; ++v) {
        for (int h = 0; h < component.h; ++h) {
          DecodeDcBlock(stream, scan, i,
                        CoefficientBlockAt(state, layout, column, row, component.frame_index, h, v));
        }
      }
    }
    return;
  }
  const ScanComponent& component = scan.components[0];
  CoefficientBlock& block = CoefficientBlockAt(state, layout, column / component.h, row / component.v,
                                               component.frame_index, column % component.h, row % component.v);
  if (IsDcScan(scan)) {
    DecodeDcBlock(stream, scan, 0, block);
  } else if (scan.ah == 0) {
    DecodeAcFirst(stream, block, *component.ac_table, scan.ss, scan.se, scan.al);
  } else {
    DecodeAcRefine(stream, block, *component.ac_table, scan.ss, scan.se, scan.al);
  }
}

bool EndsRestartInterval(const JpegScan& scan, const UnitGrid& grid, int column, int row) {
  if (scan.restart_interval == 0) return false;
  const int64_t decoded = int64_t{row} * grid.per_row + column + 1;
  return decoded % scan.restart_interval == 0 && decoded < int64_t{grid.rows} * grid.per_row;
}

// After a unit: the restart marker that ends an interval. An end-of-band run
// never crosses it, so one corrupt run cannot skip blocks of the next interval.
int FinishUnit(JpegStream& stream, JpegScan& scan, const UnitGrid& grid, int column, int row) {
  const bool restarts = EndsRestartInterval(scan, grid, column, row);
  if (HandleRestart(stream, scan, grid.per_row, grid.rows, column, row) < 0) return JpegErrBadRst;
  if (restarts) stream.end_of_band_run = 0;
  return JpegSuccess;
}

}  // namespace

int DecodeProgressiveScan(JpegStream& stream, JpegScan& scan, JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  if (!IsValidProgressiveScan(scan) || state.progression.progressive_scans > kMaxProgressiveScans) return JpegErrData;
  const bool fresh = scan.resume_column == 0 && scan.resume_row == 0;
  // Valid encoders close every end-of-band run inside its scan.
  if (fresh) stream.end_of_band_run = 0;
  const CoefficientLayout layout = LayoutOf(state);
  const UnitGrid grid = GridOf(state, scan);
  const int firstRow = scan.resume_row;
  const int firstColumn = scan.resume_column;
  for (int row = firstRow; row < grid.rows; ++row) {
    for (int column = row == firstRow ? firstColumn : 0; column < grid.per_row; ++column) {
      DecodeUnit(state, layout, scan, column, row);
      const int result = FinishUnit(stream, scan, grid, column, row);
      if (result < 0) return result;
      if (record.state.interrupt_request != 0) {
        return StopAfterUnit(scan, record.state.region, grid.per_row, grid.rows, column, row);
      }
    }
  }
  scan.resume_column = 0;
  scan.resume_row = 0;
  return JpegSuccess;
}

}  // namespace halvora::jpeg
