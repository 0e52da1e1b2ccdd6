#include "jpeg/select_output.h"

#include <algorithm>

#include "jpeg/jpeg_state.h"

namespace halvora::jpeg {

namespace {

bool NeedsColorConversion(const WorkingFields& work) {
  switch (work.jpeg_color) {
    case JpegColorRgb:
    case JpegColorGrey:
    case JpegColorRgba:
    case JpegColorOther:
      return false;
    default:
      return work.dib_color != JpegColorYCbCr && work.dib_color != JpegColorGrey;
  }
}

bool IsSampled(const JpegComponent& component, int h, int v) { return component.h == h && component.v == v; }

// The packed YCbCr DIB holds 4:2:2 data only.
bool FitsPackedYCbCr(const WorkingFields& work, const JpegFrame& frame) {
  if (frame.component_count != 3 || work.jpeg_color != JpegColorYCbCr || work.dib_color != JpegColorYCbCr) {
    return true;
  }
  return IsSampled(frame.components[0], 2, 1) && IsSampled(frame.components[1], 1, 1) &&
         IsSampled(frame.components[2], 1, 1);
}

}  // namespace

int SelectOutput(JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  WorkingFields& work = state.work;
  JpegFrame& frame = state.frame;
  // A refused frame header leaves no components: there is no MCU to size.
  if (frame.component_count < 1 || frame.component_count > kMaxComponents) return JpegErrComp;

  work.color_conversion_needed = NeedsColorConversion(work) ? 1 : 0;
  frame.h_max = 0;
  frame.v_max = 0;
  bool subsampled = false;
  for (int i = 0; i < frame.component_count; ++i) {
    const JpegComponent& component = frame.components[i];
    frame.h_max = std::max(frame.h_max, component.h);
    frame.v_max = std::max(frame.v_max, component.v);
    subsampled = subsampled || !IsSampled(component, 1, 1);
  }
  // The components JpegInit provides are all zero until a frame header fills them.
  if (frame.h_max == 0 || frame.v_max == 0) return JpegErrComp;
  work.upsampling_needed = subsampled && work.dib_color != JpegColorYCbCr ? 1 : 0;

  const int interleavedWidth = 8 * frame.h_max;
  const int interleavedHeight = 8 * frame.v_max;
  frame.mcu_width = state.non_interleaved ? 8 : interleavedWidth;
  frame.mcu_height = state.non_interleaved ? 8 : interleavedHeight;
  state.mcus_across = (frame.width + interleavedWidth - 1) / interleavedWidth;
  state.mcus_down = (frame.height + interleavedHeight - 1) / interleavedHeight;
  frame.mcus_per_row = state.mcus_across;
  frame.mcu_count = state.mcus_across * state.mcus_down;
  state.output_path = 0;

  if (!FitsPackedYCbCr(work, frame)) return JpegErrInvalidProperties;
  return JpegSuccess;
}

}  // namespace halvora::jpeg
