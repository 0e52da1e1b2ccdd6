// From the caller's DIB to the frame's component samples, one MCU row at a
// time: each image line is converted (colours, or bytes copied as they are),
// widened to whole MCUs by repeating its last sample, and the lines below
// the image repeat its last line; subsampled components are then averaged
// down.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jpeg/encoder/frame_layout.h"
#include "jpeg/encoder/write_settings.h"
#include "jpeg/kernels/dib_convert.h"
#include "jpeg/kernels/kernel_table.h"

namespace halvora::jpeg {

enum class ColourMarker { kNone, kJfif, kAdobe };

// How the DIB's pixels become components, and the segment that tells a
// reader what the components are.
struct ColourPlan {
  bool converts;  // through the kernel table's `conversion`...
  DibConversion conversion;
  int8_t sources[kMaxComponents];  // ...or each component copies this byte (-1: 128)
  ColourMarker marker;
  int32_t adobe_transform;
};

// The plan for a pairing the checks of a write accepted.
ColourPlan PlanColours(int32_t dibColor, int32_t dibChannels, int32_t jpegColor, int32_t components);

// The component samples of one MCU row: component k's (8 v) rows of
// strides[k] bytes at planes[k]. A subsampled component is first made at
// full resolution, mcu_height rows of full_stride bytes at full[k].
struct McuRowSamples {
  uint8_t* planes[kMaxComponents];
  int32_t strides[kMaxComponents];
  uint8_t* full[kMaxComponents];  // null for a component that is not subsampled
  int32_t full_stride;
};

// The bytes McuRowSamples needs for `frame`, and its layout in them.
size_t McuRowSampleBytes(const FrameLayout& frame);
McuRowSamples PlaceMcuRowSamples(const FrameLayout& frame, uint8_t* storage);

// Makes the samples of MCU row `row`.
void ConvertMcuRow(const WriteSettings& settings, const ColourPlan& plan, const FrameLayout& frame,
                   const KernelTable& kernels, int32_t row, const McuRowSamples& samples);

}  // namespace halvora::jpeg
