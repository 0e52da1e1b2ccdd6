#include "jpeg/entropy/ac_skip_table.h"

#include <algorithm>
#include <cstddef>
#include <new>

#include "jpeg/markers/frame.h"

namespace halvora::jpeg {

namespace {

constexpr int kZeroRunLength = 0xF0;  // 16 zero coefficients

// The block loop takes a code while the position before it is below 64, and
// the skip is only taken where the position it ends at is too: entries stop
// before their positions would pass what any block can take.
constexpr int kMostPositions = 62;

uint16_t SkipEntry(int bits, int positions, bool ends) {
  return static_cast<uint16_t>(bits | positions << 4 | (ends ? 1 << 11 : 0));
}

// The entry of `window`: whole codes decoded through the lookahead, the
// window's bits past its end read as zeros, which no code they decide is
// taken from.
uint16_t EntryFor(const HuffmanDecodeTable& ac, uint32_t window) {
  int used = 0;
  int positions = 0;
  for (;;) {
    const int left = kAcSkipBits - used;
    const uint32_t rest = window & ((1u << left) - 1);
    const uint32_t next = left >= kLookaheadBits ? rest >> (left - kLookaheadBits) : rest << (kLookaheadBits - left);
    const uint32_t entry = ac.lookahead[next];
    const int length = LookaheadCodeLength(entry);
    const int symbol = LookaheadSymbol(entry);
    const int size = symbol & 15;
    if (length == 0 || length + size > left) break;
    if (size == 0 && symbol != kZeroRunLength) return SkipEntry(used + length, positions, true);
    const int step = size != 0 ? (symbol >> 4) + 1 : 16;
    if (positions + step > kMostPositions) break;
    used += length + size;
    positions += step;
  }
  return SkipEntry(used, positions, false);
}

}  // namespace

void BuildAcSkipTable(const HuffmanDecodeTable& ac, AcSkipTable& skip) {
  for (uint32_t window = 0; window < (1u << kAcSkipBits); ++window) skip.entries[window] = EntryFor(ac, window);
}

ScanSkipTables::ScanSkipTables(JpegScan& scan, bool wanted) : scan_(scan) {
  if (!wanted) return;
  tables_.reset(new (std::nothrow) AcSkipTable[static_cast<size_t>(std::clamp(scan.ns, 0, kMaxComponents))]);
  if (tables_ == nullptr) return;
  for (int i = 0; i < scan.ns && i < kMaxComponents; ++i) {
    HuffmanDecodeTable* ac = scan.components[i].ac_table;
    if (ac == nullptr || ac->skip != nullptr) continue;
    BuildAcSkipTable(*ac, tables_[i]);
    ac->skip = &tables_[i];
  }
}

ScanSkipTables::~ScanSkipTables() {
  if (tables_ == nullptr) return;
  for (int i = 0; i < scan_.ns && i < kMaxComponents; ++i) {
    if (scan_.components[i].ac_table != nullptr) scan_.components[i].ac_table->skip = nullptr;
  }
}

}  // namespace halvora::jpeg
