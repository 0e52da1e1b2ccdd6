#include "jpeg/entropy/region_index.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>

#include "jpeg/input/stream_input.h"

namespace halvora::jpeg {

namespace {

// Where the next unread byte lies in the stream.
int64_t StreamOffset(const JpegStream& stream) {
  if (stream.file == nullptr) return stream.position - stream.start;
  const int64_t filePosition = stream.file->Seek(0, platform::SeekFrom::kCurrent);
  return filePosition < 0 ? -1 : filePosition - stream.remaining;
}

int MoveStreamTo(JpegStream& stream, int64_t offset) {
  if (stream.file == nullptr) {
    if (offset < 0 || offset > stream.total) return JpegErrData;
    const auto at = static_cast<int32_t>(offset);
    stream.position = stream.start + at;
    stream.consumed = at;
    stream.remaining = stream.total - at;
    return JpegSuccess;
  }
  if (SeekStreamFile(stream, offset, platform::SeekFrom::kStart) != offset) return JpegErrFile;
  const int refilled = RefillFileBuffer(stream);
  if (refilled != JpegSuccess) return refilled;
  stream.consumed = static_cast<int32_t>(std::min<int64_t>(offset, std::numeric_limits<int32_t>::max()));
  return JpegSuccess;
}

}  // namespace

UnitWindow WindowOf(const PixelRect& region, int unitWidth, int unitHeight, int perRow, int rows, int margin) {
  const bool whole = region.left == 0 && region.top == 0 && region.right == 0 && region.bottom == 0;
  if (whole || unitWidth < 1 || unitHeight < 1) return {0, perRow, 0, rows};
  const auto first = [margin](int32_t edge, int unit) { return int64_t{std::max(edge, 0)} / unit - margin; };
  const auto end = [margin](int32_t edge, int unit) {
    return (int64_t{std::max(edge, 0)} + unit - 1) / unit + margin;
  };
  const auto inside = [](int64_t value, int limit) { return static_cast<int>(std::clamp<int64_t>(value, 0, limit)); };
  return {inside(first(region.left, unitWidth), perRow), inside(end(region.right, unitWidth), perRow),
          inside(first(region.top, unitHeight), rows), inside(end(region.bottom, unitHeight), rows)};
}

int EnsureRegionIndex(RegionState& region) {
  if (region.index != nullptr) return JpegSuccess;
  auto* index = new (std::nothrow) RegionIndex;
  if (index == nullptr) return JpegErrMemory;
  for (RegionEntry& entry : index->entries) entry.position = -1;
  std::fill(std::begin(index->first_entry), std::end(index->first_entry), -1);
  std::fill(std::begin(index->rows), std::end(index->rows), 0);
  index->entries_used = 0;
  region.index = index;
  return JpegSuccess;
}

RegionEntry* EntryFor(RegionIndex& index, int ordinal, int row, int scanRows) {
  if (ordinal < 0 || ordinal >= kIndexedScans || row < 0) return nullptr;
  if (index.first_entry[ordinal] < 0) {
    // Never past the last entry: the rows that find none stay unrecorded.
    index.first_entry[ordinal] = index.entries_used;
    index.rows[ordinal] = std::clamp(scanRows, 0, kRegionIndexEntries - index.entries_used);
    index.entries_used += index.rows[ordinal];
  }
  if (row >= index.rows[ordinal]) return nullptr;
  return &index.entries[index.first_entry[ordinal] + row];
}

int NearestRecordedRow(RegionIndex& index, int ordinal, int row, int scanRows) {
  for (int above = row; above >= 0; --above) {
    const RegionEntry* entry = EntryFor(index, ordinal, above, scanRows);
    if (entry != nullptr && entry->position >= 0) return above;
  }
  return -1;
}

void RecordEntry(const JpegStream& stream, const JpegScan& scan, RegionEntry& entry) {
  entry.position = StreamOffset(stream);
  std::copy(std::begin(scan.dc_predictions), std::end(scan.dc_predictions), entry.predictions);
  entry.end_of_band_run = stream.end_of_band_run;
  entry.accumulator = stream.accumulator;
  entry.bit_count = stream.bit_count;
  entry.pending_marker = stream.pending_marker;
}

int RestoreEntry(const RegionEntry& entry, JpegStream& stream, JpegScan& scan) {
  const int moved = MoveStreamTo(stream, entry.position);
  if (moved != JpegSuccess) return moved;
  std::copy(std::begin(entry.predictions), std::end(entry.predictions), scan.dc_predictions);
  stream.end_of_band_run = entry.end_of_band_run;
  stream.accumulator = entry.accumulator;
  stream.bit_count = entry.bit_count;
  stream.pending_marker = entry.pending_marker;
  return JpegSuccess;
}

void ReleaseRegionIndex(RegionState& region) {
  delete region.index;
  region.index = nullptr;
}

}  // namespace halvora::jpeg
