#include "jpeg/entropy/scan_position.h"

#include "jpeg/input/stream_input.h"

namespace halvora::jpeg {

int HandleRestart(JpegStream& stream, JpegScan& scan, int unitsPerRow, int unitRows, int column, int row) {
  if (scan.restart_interval == 0) return JpegSuccess;
  const int64_t decoded = int64_t{column} + 1 + int64_t{row} * unitsPerRow;
  if (decoded % scan.restart_interval != 0 || decoded >= int64_t{unitRows} * unitsPerRow) return JpegSuccess;
  for (int32_t& prediction : scan.dc_predictions) prediction = 0;
  stream.bit_count = 0;
  if (stream.pending_marker != 0) {
    stream.pending_marker = 0;
    return JpegSuccess;
  }
  int code = 0;
  return ReadMarker(stream, code);
}

int StopAfterUnit(JpegScan& scan, JpegRegion& region, int perRow, int rows, int column, int row,
                  const JpegRegion& named) {
  int nextColumn = column + 1;
  int nextRow = row;
  if (nextColumn == perRow) {
    nextColumn = 0;
    ++nextRow;
  }
  if (nextRow == rows) {
    scan.resume_column = 0;
    scan.resume_row = 0;
    return JpegSuccess;
  }
  scan.resume_column = nextColumn;
  scan.resume_row = nextRow;
  region = named;
  return JpegInterruptSuccess;
}

}  // namespace halvora::jpeg
