#include "jpeg/entropy/progressive_scan.h"

#include <algorithm>
#include <cstring>

#include "jpeg/markers/frame.h"
#include "jpeg/entropy/coefficient_buffer.h"
#include "jpeg/entropy/progressive_blocks.h"
#include "jpeg/entropy/scan_position.h"
#include "jpeg/input/bit_reader.h"

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

// The last unit of the restart interval that `unit` lies in (of the scan
// when it has no restart intervals).
int64_t LastUnitOfInterval(const JpegScan& scan, int64_t unit, int64_t units) {
  if (scan.restart_interval == 0) return units - 1;
  return std::min((unit / scan.restart_interval + 1) * scan.restart_interval - 1, units - 1);
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
  const int64_t units = int64_t{grid.rows} * grid.per_row;
  for (int64_t unit = int64_t{scan.resume_row} * grid.per_row + scan.resume_column; unit < units; ++unit) {
    // Once the data is used up no block changes before the next restart
    // boundary, so the work a scan costs follows the data it holds, not the
    // size the frame declares. A DC first scan then clears nothing either.
    if (DataRanOut(stream)) {
      unit = LastUnitOfInterval(scan, unit, units);
    } else {
      DecodeUnit(state, layout, scan, static_cast<int>(unit % grid.per_row), static_cast<int>(unit / grid.per_row));
      ++state.progression.units_decoded;
    }
    const int column = static_cast<int>(unit % grid.per_row);
    const int row = static_cast<int>(unit / grid.per_row);
    const int result = FinishUnit(stream, scan, grid, column, row);
    if (result < 0) return result;
    if (record.state.interrupt_request != 0) {
      return StopAfterUnit(scan, record.state.region, grid.per_row, grid.rows, column, row,
                           JpegRegion{column, row, column, row});
    }
  }
  scan.resume_column = 0;
  scan.resume_row = 0;
  return JpegSuccess;
}

}  // namespace halvora::jpeg
