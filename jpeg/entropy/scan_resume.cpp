#include "jpeg/entropy/scan_resume.h"

namespace halvora::jpeg {

int StopAfterUnit(JpegScan& scan, JpegRegion& region, int perRow, int rows, int column, int row) {
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
  region = JpegRegion{column, row, column, row};
  return JpegInterruptSuccess;
}

}  // namespace halvora::jpeg
