// The marker segments of a written stream, each staged in the sink whole.
#pragma once

#include <cstdint>

#include "jpeg/encoder/frame_layout.h"
#include "jpeg/encoder/huffman_tables.h"
#include "jpeg/encoder/output_sink.h"

namespace halvora::jpeg {

// One scan as its header describes it: the frame's components it codes
// (indexes into the frame), its coefficients Ss..Se and approximation bits.
struct ScanHeader {
  int32_t component_count;
  int32_t components[kMaxComponents];
  int32_t ss;
  int32_t se;
  int32_t ah;
  int32_t al;
};

// Each answers 0 or the sink's failure.
int WriteMarker(OutputSink& sink, uint8_t code);  // SOI, EOI, RSTn: the marker alone
int WriteJfif(OutputSink& sink);                  // JFIF 1.01, no units, 1:1, no thumbnail
int WriteAdobe(OutputSink& sink, int transform);  // APP14 "Adobe", version 100
int WriteComment(OutputSink& sink, const uint8_t* text, int32_t size);
// DQT with `count` 8-bit tables, identifier i for tables[i], natural order in.
int WriteQuantTables(OutputSink& sink, const uint8_t (*tables)[64], int count);
int WriteHuffmanTable(OutputSink& sink, int tableClass, int identifier, const HuffmanSpec& spec);
// SOF0 (baseline) or SOF2 (progressive).
int WriteFrameHeader(OutputSink& sink, const FrameLayout& frame, bool progressive);
int WriteRestartInterval(OutputSink& sink, int32_t interval);
// SOS: each component takes the DC and AC tables of the number of its
// frame `table`.
int WriteScanHeader(OutputSink& sink, const FrameLayout& frame, const ScanHeader& scan);

inline constexpr uint8_t kSoiCode = 0xD8;
inline constexpr uint8_t kEoiCode = 0xD9;
inline constexpr uint8_t kFirstRestartCode = 0xD0;

}  // namespace halvora::jpeg
