// The scans of the image: the one under way, how the image is being decoded
// (sequentially, in single-component scans, or progressively) and the
// coefficients a progressive image keeps.
#pragma once

#include <cstdint>

#include "jpeg/markers/frame.h"

namespace halvora::jpeg {

struct ProgressionState {
  JpegScan* scan;
  int32_t progressive_scans;
  // The current scan has fewer components than the frame, in a sequential image.
  int32_t non_interleaved;
  int16_t* coefficient_buffer;
  // Inside the buffer, after the blocks: one mask a block of the zig-zag
  // positions (1 to 63) whose coefficient is nonzero, which a refinement
  // reads instead of testing every coefficient of its band.
  uint64_t* nonzero_positions;
  int64_t coefficient_bytes;  // the buffer's size
  // Bit c set once a scan has decoded blocks of frame component c: the
  // blocks of the others are still as the buffer was allocated, all zero.
  uint32_t components_coded;
  // Bit c set once an AC scan of frame component c was passed over, not
  // decoded, by a read that transforms the component's blocks from their DC
  // term alone: the buffer lacks the AC terms of that component.
  uint32_t components_passed_over;
  // The number of the current scan among the image's scans, counted from the
  // first scan the read met (-1 before it).
  int32_t scan_ordinal;
  // The current scan has decoded nothing yet: the input stands at its start.
  int32_t scan_at_start;
  // Units (MCUs, or blocks of a progressive scan of one component) the read
  // has decoded, and those of sequential scans that found no data left:
  // the work a stream costs, which its data bounds.
  int64_t units_decoded;
  int64_t units_without_data;
};

}  // namespace halvora::jpeg
