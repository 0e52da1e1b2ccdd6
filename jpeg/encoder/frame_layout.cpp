#include "jpeg/encoder/frame_layout.h"

#include <halvora/jpeg.h>

#include <algorithm>

namespace halvora::jpeg {

namespace {

// The components (the first, and the fourth of a four-component layout)
// that keep a larger factor in each subsampled layout.
void SetSampling(FrameLayout& frame, int32_t subsampling) {
  const bool square = subsampling == JpegSubsampling420 || subsampling == JpegSubsampling420Four;
  const bool wide = square || subsampling == JpegSubsampling422 || subsampling == JpegSubsampling422Four;
  const bool fourthToo = subsampling == JpegSubsampling420Four || subsampling == JpegSubsampling422Four;
  for (int k = 0; k < frame.component_count; ++k) {
    const bool larger = wide && (k == 0 || (k == 3 && fourthToo));
    frame.components[k].h = larger ? 2 : 1;
    frame.components[k].v = larger && square ? 2 : 1;
  }
}

}  // namespace

FrameLayout LayOutFrame(int32_t width, int32_t height, int32_t components, int32_t subsampling, int32_t jpegColor) {
  FrameLayout frame{};
  frame.width = width;
  frame.height = height;
  frame.component_count = components;
  SetSampling(frame, subsampling);
  const bool chromaTables = jpegColor == JpegColorYCbCr || jpegColor == JpegColorYCbCrAlpha;
  frame.table_count = chromaTables && components >= 3 ? 2 : 1;
  frame.h_max = 1;
  frame.v_max = 1;
  for (int k = 0; k < components; ++k) {
    frame.h_max = std::max(frame.h_max, frame.components[k].h);
    frame.v_max = std::max(frame.v_max, frame.components[k].v);
  }
  frame.mcu_width = 8 * frame.h_max;
  frame.mcu_height = 8 * frame.v_max;
  frame.mcus_across = CeilDiv(width, frame.mcu_width);
  frame.mcus_down = CeilDiv(height, frame.mcu_height);
  for (int k = 0; k < components; ++k) {
    EncodedComponent& component = frame.components[k];
    component.id = k + 1;
    component.table = chromaTables && (k == 1 || k == 2) ? 1 : 0;
    component.width_in_blocks = CeilDiv(CeilDiv(int64_t{width} * component.h, frame.h_max), 8);
    component.height_in_blocks = CeilDiv(CeilDiv(int64_t{height} * component.v, frame.v_max), 8);
    component.blocks_across = frame.mcus_across * component.h;
    component.blocks_down = frame.mcus_down * component.v;
  }
  return frame;
}

int32_t BlocksPerMcu(const FrameLayout& frame) {
  int32_t blocks = 0;
  for (int k = 0; k < frame.component_count; ++k) blocks += frame.components[k].h * frame.components[k].v;
  return blocks;
}

}  // namespace halvora::jpeg
