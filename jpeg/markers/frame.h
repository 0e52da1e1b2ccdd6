// The image as its marker segments describe it: the frame and its
// components, the scan under way, and the JFIF and Adobe values, with the
// rules that follow from the frame's sampling.
#pragma once

#include <cstdint>

#include "jpeg/entropy/huffman_table.h"
#include "jpeg/kernels/kernel_types.h"

namespace halvora::jpeg {

inline constexpr int kMaxComponents = 4;

struct JpegComponent {
  int32_t id;  // C
  int32_t h;
  int32_t v;
  int32_t tq;  // 0..3: a frame header naming another table is refused
};

struct JpegFrame {
  int32_t precision;
  int32_t width;
  int32_t height;
  int32_t mcu_height;  // pixels
  int32_t mcu_width;   // pixels
  int32_t h_max;
  int32_t v_max;
  int32_t component_count;
  int32_t mcus_per_row;
  int32_t mcu_count;
  JpegComponent* components;  // room for kMaxComponents
  int32_t restart_interval;   // MCUs; 0 = none
  int32_t dc_complete_count;
  int32_t ac_complete_count;
};

struct ScanComponent {
  int32_t frame_index;
  int32_t h;
  int32_t v;
  HuffmanDecodeTable* dc_table;
  HuffmanDecodeTable* ac_table;
  QuantTable* quant_table;
};

// The scan under way (the decoder's work record).
struct JpegScan {
  int32_t ns;
  int32_t reserved;
  int32_t ss;
  int32_t se;
  int32_t ah;
  int32_t al;
  int32_t restart_interval;
  int32_t resume_column;
  int32_t resume_row;
  int32_t dc_predictions[kMaxComponents];
  ScanComponent* components;  // ns entries
};

struct AdobeMarker {
  int32_t seen;
  int32_t transform;
  int32_t version;
  int32_t flags0;
  int32_t flags1;
};

struct JfifMarker {
  int32_t seen;
  int32_t version;
  int32_t units;
  int32_t x_density;
  int32_t y_density;
};

// What the markers of the stream have described so far.
struct MarkerState {
  JpegFrame frame;
  int32_t sof_kind;  // low nibble of the frame's SOF marker; -1 before a frame
  // Set until the first frame header: APP0 and COM are interpreted and
  // SOF1/SOF2 accepted only then.
  int32_t start_of_stream;
  AdobeMarker app14;
  JfifMarker app0;
  int32_t comment_capacity;  // jpeg_comment_size when the read began
};

// ceil(value / divisor) for value >= 0 and divisor > 0, without overflow for
// any pair of ints.
inline int CeilDiv(int64_t value, int64_t divisor) { return static_cast<int>((value + divisor - 1) / divisor); }

// The frame's sampling layout as a JpegSubsampling code: the one whose
// factors match exactly, 255 when none does. One component always counts as
// unsubsampled, two only when both are 1x1.
int SubsamplingCodeOf(const JpegFrame& frame);

// Whether a reduced read transforms the blocks of the components of one
// block per MCU one size larger: when the frame's largest horizontal factor
// is 2 and every component is sampled 1x1 or 2x2. Those components then come
// out at the luminance's resolution and are copied one to one.
bool UsesSimpleSampling(const JpegFrame& frame);

}  // namespace halvora::jpeg
