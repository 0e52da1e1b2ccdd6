// Parsers of the marker segments. Each reads the segment's length field and
// its payload from the record's stream and stores what it finds in the record.
#pragma once

#include <halvora/jpeg.h>
#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

// Most blocks an MCU may hold: the McuBuffer's capacity.
inline constexpr int kMaxBlocksPerMcu = kMcuBufferBlocks;
// Largest sampling factor: an MCU is at most 32x32 pixels.
inline constexpr int kMaxSamplingFactor = 4;

int ParseDri(JPEG_PROPERTIES& record);
int ParseDqt(JPEG_PROPERTIES& record);
int ParseDht(JPEG_PROPERTIES& record);
// `sofKind` is the low nibble of the SOF marker (0, 1 or 2).
int ParseSof(JPEG_PROPERTIES& record, int sofKind);
// Fills `scan` from the scan header; its ScanComponent array belongs to the
// scan afterwards.
int ParseSos(JPEG_PROPERTIES& record, JpegScan& scan);
int ParseApp0(JPEG_PROPERTIES& record);
int ParseApp14(JPEG_PROPERTIES& record);
int ParseCom(JPEG_PROPERTIES& record);

}  // namespace halvora::jpeg
