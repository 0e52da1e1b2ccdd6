#include "jpeg/entropy/progressive_scan.h"

#include <algorithm>
#include <cstring>

#include "jpeg/markers/frame.h"
#include "jpeg/entropy/coefficient_buffer.h"
#include "jpeg/entropy/progressive_blocks.h"
#include "jpeg/entropy/scan_position.h"
#include "jpeg/input/bit_reader.h"
#include "jpeg/input/stream_input.h"
#include "jpeg/output/read_size.h"

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

// The last unit of the restart interval that `unit` lies in (of the scan
// when it has no restart intervals).
int64_t LastUnitOfInterval(const JpegScan& scan, int64_t unit, int64_t units) {
  if (scan.restart_interval == 0) return units - 1;
  return std::min((unit / scan.restart_interval + 1) * scan.restart_interval - 1, units - 1);
}

// At the end of a restart interval (not the scan's last): the restart
// marker. An end-of-band run never crosses it, so one corrupt run cannot
// skip blocks of the next interval.
int FinishInterval(JpegStream& stream, JpegScan& scan, const UnitGrid& grid, int column, int row) {
  if (HandleRestart(stream, scan, grid.per_row, grid.rows, column, row) < 0) return JpegErrBadRst;
  stream.end_of_band_run = 0;
  return JpegSuccess;
}

// Where the blocks of the scan's components lie: each component's plane,
// its blocks a row, and the blocks it has in a unit (H x V in an MCU of an
// interleaved scan; one in a scan of one component, whose units are blocks).
struct ScanPlanes {
  CoefficientBlock* plane[kMaxComponents];
  uint64_t* nonzero[kMaxComponents];  // the masks of the plane's blocks
  bool all_zero[kMaxComponents];      // no scan has decoded blocks of the plane before
  int64_t blocks_across[kMaxComponents];
  int h[kMaxComponents];
  int v[kMaxComponents];
};

ScanPlanes PlanesOf(PrivateState& state, const JpegScan& scan) {
  const CoefficientLayout layout = LayoutOf(state);
  auto* buffer = reinterpret_cast<CoefficientBlock*>(state.progression.coefficient_buffer);
  ScanPlanes planes{};
  for (int i = 0; i < scan.ns; ++i) {
    const int c = scan.components[i].frame_index;
    planes.plane[i] = buffer + layout.plane_start[c];
    planes.nonzero[i] = state.progression.nonzero_positions + layout.plane_start[c];
    planes.all_zero[i] = (state.progression.components_coded & (1u << c)) == 0;
    planes.blocks_across[i] = layout.blocks_across[c];
    planes.h[i] = scan.ns > 1 ? layout.horizontal[c] : 1;
    planes.v[i] = scan.ns > 1 ? layout.vertical[c] : 1;
  }
  return planes;
}

// The blocks of each scan component in unit (column, row), in the order
// they are coded: each at its component's own place, whatever set of
// components the scan names and in whatever order.
template <typename DecodeBlock>
void ForEachBlockOfUnit(const JpegScan& scan, const ScanPlanes& planes, int column, int row, DecodeBlock decode) {
  for (int i = 0; i < scan.ns; ++i) {
    for (int v = 0; v < planes.v[i]; ++v) {
      const int64_t first = (int64_t{row} * planes.v[i] + v) * planes.blocks_across[i] + int64_t{column} * planes.h[i];
      for (int h = 0; h < planes.h[i]; ++h) decode(i, planes.plane[i][first + h], planes.nonzero[i][first + h]);
    }
  }
}

void DecodeDcFirstUnit(JpegStream& stream, JpegScan& scan, const ScanPlanes& planes, int column, int row) {
  ForEachBlockOfUnit(scan, planes, column, row, [&](int i, CoefficientBlock& block, uint64_t& nonzero) {
    // A DC first scan starts the block afresh; one still as allocated needs no clear.
    if (!planes.all_zero[i]) {
      std::memset(block.values, 0, sizeof block.values);
      nonzero = 0;
    }
    auto prediction = static_cast<int16_t>(scan.dc_predictions[i]);
    DecodeDcFirst(stream, *scan.components[i].dc_table, block, prediction, scan.al);
    scan.dc_predictions[i] = prediction;
  });
}

void DecodeDcRefineUnit(JpegStream& stream, JpegScan& scan, const ScanPlanes& planes, int column, int row) {
  ForEachBlockOfUnit(scan, planes, column, row,
                     [&](int, CoefficientBlock& block, uint64_t&) { DecodeDcRefine(stream, block, scan.al); });
}

// Whether the read passes over this AC scan undecoded: a scan of a component
// whose samples it makes from the DC terms alone (an eighth-size read). A
// read that stops after every unit, or one resuming the scan, decodes it.
bool PassesOverAcScan(JPEG_PROPERTIES& record, const JpegScan& scan) {
  return record.state.interrupt_request == 0 && scan.resume_column == 0 && scan.resume_row == 0 &&
         ReadsDcTermsAlone(Private(record), scan.components[0].frame_index);
}

// Takes what decoding the scan would take from the stream without decoding
// it: at each restart boundary before its last unit the decoding takes the
// next marker, whatever it is (one a damaged interval ends at early, or the
// first after data it leaves over), and fails when none is left. The marker
// search after the scan then walks past the rest of its data.
int PassOverAcScan(JpegStream& stream, const JpegScan& scan, const UnitGrid& grid) {
  if (scan.restart_interval == 0) return JpegSuccess;
  const int64_t boundaries = (int64_t{grid.rows} * grid.per_row - 1) / scan.restart_interval;
  for (int64_t i = 0; i < boundaries; ++i) {
    int code = 0;
    if (ReadMarker(stream, code) != JpegSuccess) return JpegErrBadRst;
  }
  return JpegSuccess;
}

// Whether the data is used up; no call is needed while bits are held.
bool NoDataLeft(JpegStream& stream) { return stream.bit_count <= 0 && DataRanOut(stream); }

// Decodes the scan's units from where it stands, `decodeUnit(column, row)`
// a unit. Block decoders' failures are not looked at: damaged data decodes
// as far as it goes and the scan goes on. The position is kept as a column
// and a row besides the unit's number, and the restart boundary ahead as a
// unit number, so that no unit pays for a division.
template <typename DecodeUnit>
int WalkUnits(JPEG_PROPERTIES& record, JpegStream& stream, JpegScan& scan, const UnitGrid& grid,
              DecodeUnit decodeUnit) {
  PrivateState& state = Private(record);
  const int64_t units = int64_t{grid.rows} * grid.per_row;
  int column = scan.resume_column;
  int row = scan.resume_row;
  int64_t unit = int64_t{row} * grid.per_row + column;
  int64_t intervalEnd = LastUnitOfInterval(scan, unit, units);
  for (; unit < units; ++unit) {
    if (NoDataLeft(stream)) {
      // No block changes before the next restart boundary, so the work a
      // scan costs follows the data it holds, not the size the frame
      // declares. A DC first scan then clears nothing either.
      unit = intervalEnd;
      column = static_cast<int>(unit % grid.per_row);
      row = static_cast<int>(unit / grid.per_row);
    } else {
      decodeUnit(column, row);
      ++state.progression.units_decoded;
    }
    if (unit == intervalEnd && unit + 1 < units) {
      if (FinishInterval(stream, scan, grid, column, row) < 0) return JpegErrBadRst;
      intervalEnd = LastUnitOfInterval(scan, unit + 1, units);
    }
    if (record.state.interrupt_request != 0) {
      return StopAfterUnit(scan, record.state.region, grid.per_row, grid.rows, column, row,
                           JpegRegion{column, row, column, row});
    }
    if (++column == grid.per_row) {
      column = 0;
      ++row;
    }
  }
  scan.resume_column = 0;
  scan.resume_row = 0;
  return JpegSuccess;
}

}  // namespace

int DecodeProgressiveScan(JpegStream& stream, JpegScan& scan, JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  if (!IsValidProgressiveScan(scan) || state.progression.progressive_scans > kMaxProgressiveScans) return JpegErrData;
  // Valid encoders close every end-of-band run inside its scan.
  if (scan.resume_column == 0 && scan.resume_row == 0) stream.end_of_band_run = 0;
  const UnitGrid grid = GridOf(state, scan);
  if (!IsDcScan(scan) && PassesOverAcScan(record, scan)) {
    state.progression.components_passed_over |= 1u << scan.components[0].frame_index;
    return PassOverAcScan(stream, scan, grid);
  }
  const ScanPlanes planes = PlanesOf(state, scan);
  for (int i = 0; i < scan.ns; ++i) state.progression.components_coded |= 1u << scan.components[i].frame_index;
  if (IsDcScan(scan)) {
    if (scan.ah == 0) {
      return WalkUnits(record, stream, scan, grid,
                       [&](int column, int row) { DecodeDcFirstUnit(stream, scan, planes, column, row); });
    }
    return WalkUnits(record, stream, scan, grid,
                     [&](int column, int row) { DecodeDcRefineUnit(stream, scan, planes, column, row); });
  }
  // An AC scan codes one component, and walks its plane in memory order.
  const HuffmanDecodeTable& ac = *scan.components[0].ac_table;
  CoefficientBlock* const plane = planes.plane[0];
  uint64_t* const nonzero = planes.nonzero[0];
  const int64_t across = planes.blocks_across[0];
  if (scan.ah == 0) {
    return WalkUnits(record, stream, scan, grid, [&](int column, int row) {
      const int64_t at = row * across + column;
      if (!PassedInEndOfBandRun(stream, 0))
        DecodeAcFirst(stream, plane[at], nonzero[at], ac, scan.ss, scan.se, scan.al);
    });
  }
  const uint64_t band = BandPositions(scan.ss, scan.se);
  return WalkUnits(record, stream, scan, grid, [&](int column, int row) {
    const int64_t at = row * across + column;
    if (PassedInEndOfBandRun(stream, nonzero[at] & band)) return;
    DecodeAcRefine(stream, plane[at], nonzero[at], ac, scan.ss, scan.se, scan.al);
  });
}

}  // namespace halvora::jpeg
