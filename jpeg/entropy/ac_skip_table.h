// Passing over a block's AC codes several at a time, for reads that make a
// block's samples from its DC term alone: their values are never formed, so
// only the bits each code and its magnitude take and the positions it moves
// the block on matter, and a table indexed by the next bits gives those of
// as many whole codes as the bits hold.
#pragma once

#include <cstdint>
#include <memory>

#include "jpeg/entropy/huffman_table.h"

namespace halvora::jpeg {

struct JpegScan;

// The skip table is indexed by the next 12 bits of the stream.
inline constexpr int kAcSkipBits = 12;

// One entry per 12-bit window: the bits taken by the whole AC codes (each
// with its magnitude bits) the window starts with, as far as the lookahead
// decodes them; the zig-zag positions the codes before any end of block
// move the block on; and whether the last code ends the block. No bits: the
// first code is longer than the lookahead, or does not fit with its
// magnitude bits.
struct AcSkipTable {
  uint16_t entries[1 << kAcSkipBits];
};

inline int SkippedBits(uint16_t entry) { return entry & 15; }
inline int SkippedPositions(uint16_t entry) { return (entry >> 4) & 127; }
inline bool SkipEndsBlock(uint16_t entry) { return (entry >> 11) != 0; }

void BuildAcSkipTable(const HuffmanDecodeTable& ac, AcSkipTable& skip);

// The skip tables of a scan's AC tables, attached to them (`skip`) for as
// long as this lives. Empty, with nothing attached, when not `wanted` or
// when the memory cannot be had: the codes are then passed over one by one.
class ScanSkipTables {
 public:
  ScanSkipTables(JpegScan& scan, bool wanted);
  ~ScanSkipTables();
  ScanSkipTables(const ScanSkipTables&) = delete;
  ScanSkipTables& operator=(const ScanSkipTables&) = delete;

 private:
  JpegScan& scan_;
  std::unique_ptr<AcSkipTable[]> tables_;
};

}  // namespace halvora::jpeg
