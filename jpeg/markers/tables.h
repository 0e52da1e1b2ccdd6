// The tables the stream (or the caller) defines: four quantisation tables,
// four DC and four AC Huffman tables, and the selectors of the last scan.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

#include "jpeg/entropy/huffman_table.h"
#include "jpeg/kernels/kernel_types.h"
#include "jpeg/markers/frame.h"

namespace halvora::jpeg {

struct TableCounts {
  int32_t quant_tables;
  int32_t quant_slots_used;
  int32_t ac_tables;
  int32_t dc_tables;
  int32_t huffman_slots_used;
};

// Storage for a QuantTable whose entries the packed kernels read aligned;
// the record itself is only guaranteed 8-byte alignment.
struct QuantTableArea {
  alignas(8) unsigned char bytes[sizeof(QuantTable) + alignof(QuantTable)];
};

struct TableState {
  TableCounts counts;
  QuantTableArea quant_areas[kMaxComponents];
  // Each quantisation table's values as the stream gave them (zig-zag order)
  // and the dct_method its prepared form was made for: a read with another
  // method prepares it again.
  int32_t quant_values[kMaxComponents][64];
  int32_t quant_prepared_for[kMaxComponents];
  HuffmanDecodeTable ac_tables[4];
  HuffmanDecodeTable dc_tables[4];
  uint8_t ac_selectors[kMaxComponents];
  uint8_t dc_selectors[kMaxComponents];
};

// The first address inside `area` aligned for a T.
template <typename T, std::size_t N>
void* AlignedStorage(unsigned char (&area)[N]) {
  static_assert(N >= sizeof(T) + alignof(T));
  const auto address = reinterpret_cast<std::uintptr_t>(area);
  const std::uintptr_t aligned = (address + alignof(T) - 1) & ~(std::uintptr_t{alignof(T)} - 1);
  return area + (aligned - address);
}

// The QuantTable `index` (0..3), created in its area by JpegInit.
inline QuantTable& QuantTableAt(TableState& tables, int index) {
  return *std::launder(static_cast<QuantTable*>(AlignedStorage<QuantTable>(tables.quant_areas[index].bytes)));
}

// Prepares quantisation table `id` from its stored stream values for `dctMethod`.
void PrepareQuantTableFor(TableState& tables, int id, int dctMethod);

// A table keeps the form of the method in force when it was read; a scan
// decoded with another method (the caller may change dct_method between the
// parameter read and the image read) needs the tables prepared again.
void MatchQuantTablesToMethod(TableState& tables, int dctMethod);

}  // namespace halvora::jpeg
