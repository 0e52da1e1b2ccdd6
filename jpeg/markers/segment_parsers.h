// Parsers of the marker segments. Each reads the segment's length field and
// its payload from the stream and either returns what it found, for the
// driver to store, or fills the one record that the segment defines.
#pragma once

#include <halvora/jpeg.h>
#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

// Most blocks an MCU may hold: the McuBuffer's capacity.
inline constexpr int kMaxBlocksPerMcu = kMcuBufferBlocks;

// A frame header as it was read; `frame.components` is left null.
struct ParsedFrame {
  JpegFrame frame;
  JpegComponent components[kMaxComponents];
};

int ParseDri(JpegStream& stream, int32_t& restartInterval);
// Quantisation tables go to `tables` (prepared for dctMethod) and, where the
// caller gave one, to the slot of their identifier.
int ParseDqt(JpegStream& stream, TableState& tables, JpegQuantSlot (&slots)[kMaxComponents], int dctMethod);
// Huffman tables go to `tables` and, where the caller gave one, to slot
// 2 x identifier + class.
int ParseDht(JpegStream& stream, TableState& tables, JpegHuffmanSlot (&slots)[8]);
int ParseSof(JpegStream& stream, ParsedFrame& parsed);
// Fills `scan` from the scan header against the record's frame and tables
// (its ScanComponent array belongs to the scan afterwards), and gives the
// segment's length with its marker.
int ParseSos(JpegStream& stream, const MarkerState& markers, TableState& tables, JpegScan& scan,
             int32_t& segmentBytes);
// The JFIF values, and a thumbnail that a thumbnail read writes into the DIB.
int ParseApp0(JpegStream& stream, MarkerState& markers, ReadState& read);
int ParseApp14(JpegStream& stream, AdobeMarker& adobe);
// The comment, into the caller's buffer when one was given.
int ParseCom(JpegStream& stream, const MarkerState& markers, JpegState& caller);

}  // namespace halvora::jpeg
