// The frame the encoder writes: its components with their sampling and
// tables, and the MCU grid that covers the image.
#pragma once

#include <cstdint>

#include "jpeg/markers/frame.h"

namespace halvora::jpeg {

struct EncodedComponent {
  int32_t id;
  int32_t h;
  int32_t v;
  int32_t table;  // quantisation and Huffman tables: 0 (luminance-like) or 1 (chrominance)
  // The component's own extent in blocks, which a scan of it alone codes.
  int32_t width_in_blocks;
  int32_t height_in_blocks;
  // Its blocks in the whole MCUs of the frame, which an interleaved scan codes.
  int32_t blocks_across;
  int32_t blocks_down;
};

struct FrameLayout {
  int32_t width;
  int32_t height;
  int32_t component_count;
  EncodedComponent components[kMaxComponents];
  int32_t h_max;
  int32_t v_max;
  int32_t mcu_width;  // pixels
  int32_t mcu_height;
  int32_t mcus_across;
  int32_t mcus_down;
  int32_t table_count;  // 1 or 2
};

// The layout of a frame of `components` components (1 to 4) sampled as the
// JpegSubsampling code `subsampling` says, for colours `jpeg_color`: the
// luminance of YCbCr (and its fourth component) takes table 0 and the chroma
// table 1; every component of the other colours takes table 0.
FrameLayout LayOutFrame(int32_t width, int32_t height, int32_t components, int32_t subsampling, int32_t jpegColor);

// The blocks of one MCU of an interleaved scan of every component.
int32_t BlocksPerMcu(const FrameLayout& frame);

}  // namespace halvora::jpeg
