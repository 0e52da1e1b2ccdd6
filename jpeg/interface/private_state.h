// The codec's private state behind the public fields of JPEG_PROPERTIES: one
// record per stage of the pipeline, each declared beside the stage that owns
// it, and the read's own working copies of the public fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>

#include <halvora/jpeg.h>
#include "jpeg/entropy/progression.h"
#include "jpeg/entropy/region_index.h"
#include "jpeg/input/stream_input.h"
#include "jpeg/markers/frame.h"
#include "jpeg/markers/tables.h"
#include "jpeg/output/output_state.h"

namespace halvora::jpeg {

struct EncoderState;  // jpeg/encoder/encoder_state.h

// Working copies of the public fields 2 to 21, with the DIB line distance.
struct WorkingFields {
  uint8_t* dib_pixels;
  int32_t dib_width;
  int32_t dib_height;
  int32_t dib_pad_bytes;
  int32_t dib_channels;
  int32_t dib_color;
  int32_t dib_subsampling;
  // Signed distance between DIB lines, pointer-wide so that the offsets of
  // large DIBs cannot wrap.
  std::ptrdiff_t dib_line_bytes;
  const char* jpeg_file_name;
  const uint8_t* jpeg_buffer;
  int32_t jpeg_buffer_size;
  int32_t jpeg_width;
  int32_t jpeg_height;
  int32_t jpeg_channels;
  int32_t jpeg_color;
  int32_t jpeg_subsampling;
  int32_t thumbnail_width;
  int32_t thumbnail_height;
  int32_t color_conversion_needed;
  int32_t upsampling_needed;
  int32_t quality;
};

// The call under way and what it asks for.
struct ReadState {
  int32_t io_type;
  int64_t memory_limit;  // bytes of work memory the read may hold (work_memory.h)
  WorkingFields work;
  // A read of the record has decoded the whole image (or the whole region);
  // the next read starts again from the beginning of the stream.
  int32_t image_done;
  // The read ended at a scan header, whose segment (of scan_header_bytes,
  // with its marker) the next read starts with.
  int32_t stopped_at_scan_header;
  int32_t scan_header_bytes;
};

struct PrivateState {
  ReadState read;
  JpegStream input;
  TableState tables;
  MarkerState markers;
  OutputState output;
  ProgressionState progression;
  RegionState region;
  EncoderState* encoder;  // the writing side's own heap record, from the first write
};

// JpegInit creates the state in the cleared record and JpegFree drops it
// without a destructor call: it may hold nothing that needs one.
static_assert(std::is_trivially_destructible_v<PrivateState>);
static_assert(sizeof(PrivateState) <= JPEG_PRIVATE_STATE_BYTES, "the public header reserves too little room");
static_assert(alignof(PrivateState) <= alignof(decltype(JpegState::private_state)),
              "the public header aligns the private state too weakly");

// The private state of an initialised record.
inline PrivateState& Private(JPEG_PROPERTIES& record) {
  return *std::launder(reinterpret_cast<PrivateState*>(record.state.private_state.bytes));
}

// Whether JpegInit has prepared the record and JpegFree not yet released it.
inline bool IsInitialised(JPEG_PROPERTIES& record) {
  const PrivateState& state = Private(record);
  return state.input.kernels != nullptr && state.markers.frame.components != nullptr;
}

}  // namespace halvora::jpeg
