// Reads of a region of interest: which units of a grid the region needs, and
// the region index, where each MCU row of a scan starts in the stream, so that
// a read starts at the nearest recorded row instead of decoding every row
// above it again.
#pragma once

#include <cstdint>

#include "jpeg/input/stream_input.h"
#include "jpeg/kernels/kernel_types.h"
#include "jpeg/markers/frame.h"

namespace halvora::jpeg {

// Columns [first_column, end_column) and rows [first_row, end_row) of a grid.
struct UnitWindow {
  int first_column;
  int end_column;
  int first_row;
  int end_row;
};

// The units of unitWidth x unitHeight output pixels that meet `region`
// (pixels of the output image; all 0 means the whole image), in a grid of
// perRow x rows units, widened by `margin` units on every side for output
// that needs its neighbours, and kept inside the grid.
UnitWindow WindowOf(const PixelRect& region, int unitWidth, int unitHeight, int perRow, int rows, int margin);

inline constexpr int kRegionIndexEntries = 8192;
// The scans of one image that get rows of the index (an image coded in
// single-component scans has one per component); later scans go unrecorded.
inline constexpr int kIndexedScans = 16;

// The input state at the start of one MCU row.
struct RegionEntry {
  int64_t position;  // byte offset in the stream; -1 = not recorded
  int32_t predictions[kMaxComponents];
  int32_t end_of_band_run;
  uint64_t accumulator;
  int32_t bit_count;
  uint8_t pending_marker;
};

// The index's entries are shared out among the scans of the image in the
// order they first ask: every row of a scan gets one while entries last.
struct RegionIndex {
  RegionEntry entries[kRegionIndexEntries];
  int32_t first_entry[kIndexedScans];  // -1 until the scan asks
  int32_t rows[kIndexedScans];         // rows of the scan with an entry
  int32_t entries_used;
};

// The extent of the read under way and the record's index.
struct RegionState {
  // The extent the current scan started with, in pixels of the read's output
  // image (all 0: the whole image). An interrupted decode reports the MCU
  // just written in `region`, so a resumed scan must not read it again.
  PixelRect scan_region;
  int32_t scan_is_region_read;
  // The read's extent is fixed; a read that does not resume a scan fixes it
  // again at its first scan.
  int32_t extent_settled;
  RegionIndex* index;  // null until a region read
};

// Creates the record's index once; 0 or -5.
int EnsureRegionIndex(RegionState& region);

// The entry of MCU row `row` of scan `ordinal` (a scan of `scanRows` rows), or
// null when that row has none (the index is full or the scan unindexed).
RegionEntry* EntryFor(RegionIndex& index, int ordinal, int row, int scanRows);

// The nearest recorded row at or above `row` of scan `ordinal`; -1 when none.
int NearestRecordedRow(RegionIndex& index, int ordinal, int row, int scanRows);

// Keeps the input state at this point of the scan in `entry`.
void RecordEntry(const JpegStream& stream, const JpegScan& scan, RegionEntry& entry);

// Puts the input back to the state `entry` holds: 0, or -23 when a file
// cannot be moved or read there, -21 when the entry lies outside the buffer.
int RestoreEntry(const RegionEntry& entry, JpegStream& stream, JpegScan& scan);

void ReleaseRegionIndex(RegionState& region);

}  // namespace halvora::jpeg
