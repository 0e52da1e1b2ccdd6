// The scans of a progressive image: the DC coefficients first, at half
// precision; then the low AC band of the luminance-like components and the
// whole AC band of the others, the luminance at quarter precision; then the
// luminance's high band; then each precision bit refined in turn. A reader
// shows a usable picture early, and the coarse scans code compactly.
#pragma once

#include "jpeg/encoder/frame_layout.h"
#include "jpeg/encoder/marker_writer.h"

namespace halvora::jpeg {

// At most 1 + 3 x 4 + 1 + 4 scans for four components.
inline constexpr int kMaxProgressiveScans = 18;

struct ProgressiveScript {
  int32_t count;
  ScanHeader scans[kMaxProgressiveScans];
};

// Components of table 0 are luminance-like, those of table 1 chrominance.
ProgressiveScript MakeProgressiveScript(const FrameLayout& frame);

}  // namespace halvora::jpeg
