// From the decoded blocks of one MCU to pixels in the caller's DIB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "jpeg/entropy/region_index.h"
#include "jpeg/interface/private_state.h"
#include "jpeg/kernels/component_output.h"

namespace halvora::jpeg {

// Runs the inverse DCT over the first `blockCount` blocks of the MCU buffer
// and writes MCU (column, row) through the output routine chosen for the
// image; an MCU outside the scan's region is not written. A read with a raw
// plane list gets the blocks in its planes instead (raw_planes.h). The MCUs
// whose turn to be written this was (none, one, or with interpolated chroma,
// whose output runs behind the decoding, those the MCU completes).
UnitWindow ReconstructMcu(PrivateState& state, int column, int row, int blockCount);

// What a read of the whole image into a DIB that holds it all settles once
// per scan of all components, so that each MCU goes straight from its
// transforms to its place in the DIB: through the image's fused routine, or
// through the per-component routines (their format worked out once). With
// interpolated chroma each MCU is kept in the context planes and the MCUs it
// completes are written from there, as ReconstructMcu does.
struct DirectOutput {
  InverseDctKernel transforms[kMcuBufferBlocks];  // by block of the MCU
  bool dc_alone[kMcuBufferBlocks];                // the block's transform reads its DC term alone
  McuOutputKernel output;                         // the fused routine, or none
  ComponentOutputFormat format;                   // else the per-component routines'
  ReducedRowWriter row_writer;                    // a reduced read's writer of MCUs inside the DIB, or none
  bool interpolated;                              // chroma interpolated through the context planes
  int32_t block_size;                             // samples a side of a transformed block
  bool simple_sampling;
  uint8_t* top_line;
  std::ptrdiff_t line_bytes;
  int32_t channels;
  int32_t mcu_width;  // pixels at the read's size
  int32_t mcu_height;
  int32_t dib_width;
  int32_t dib_height;
  // MCUs wholly inside the DIB, whose targets need no clipping.
  int32_t whole_columns;
  int32_t whole_rows;
};

// The direct output of the scan being read, or nullopt when the read takes
// ReconstructMcu's longer way (raw planes, a scan of fewer components than
// the frame, or of other blocks than the context planes keep, a region of
// interest).
std::optional<DirectOutput> PlanDirectOutput(const PrivateState& state);

// ReconstructMcu for a read with a direct output, writing the same bytes,
// and answering the same MCUs written.
UnitWindow ReconstructMcuDirect(PrivateState& state, const DirectOutput& direct, int column, int row, int blockCount);

}  // namespace halvora::jpeg
