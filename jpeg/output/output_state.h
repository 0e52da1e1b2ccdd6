// What the output set-up fixed for the image: the MCU grid, the routine that
// writes each MCU, and the work areas of the output.
#pragma once

#include <cstdint>

#include "jpeg/kernels/kernel_types.h"

namespace halvora::jpeg {

struct McuBufferArea {
  alignas(8) unsigned char bytes[sizeof(McuBuffer) + alignof(McuBuffer)];
};

struct OutputState {
  int32_t output_path;
  // Why the image cannot be decoded with the routine the output set-up
  // found (0: it can); checked before a scan decodes anything.
  int32_t output_refusal;
  // Set when the MCUs go through the per-component routine (output_mcu is
  // then empty): 1 replicating subsampled chroma, 2 interpolating it.
  int32_t per_component_output;
  int32_t mcus_across;
  int32_t mcus_down;
  McuBufferArea mcu_area;
  McuBuffer* mcu_buffer;  // first 32-byte boundary of mcu_area, set per read
  uint8_t* line_planes;   // the context planes of smooth upsampling (smooth_output.h)
  int64_t line_plane_bytes;  // their size
  int16_t* const* raw_plane_list;  // the caller's raw plane list when the read began (raw_planes.h)
};

}  // namespace halvora::jpeg
