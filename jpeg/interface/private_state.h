// The codec's private state behind the public fields of JPEG_PROPERTIES.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <new>

#include "jpeg/entropy/huffman_table.h"
#include <halvora/jpeg.h>
#include "jpeg/kernels/kernel_types.h"
#include "platform/file.h"

namespace halvora::jpeg {

struct KernelTable;
struct RegionIndex;

inline constexpr int kMaxComponents = 4;
inline constexpr int kFileBufferBytes = 4096;

struct JpegComponent {
  int32_t id;  // C
  int32_t h;
  int32_t v;
  int32_t tq;
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

// The input of a read: a caller's buffer or a file read in 4096-byte blocks.
struct JpegStream {
  uint64_t accumulator;
  KernelTable* kernels;
  int32_t bit_count;
  const uint8_t* position;
  const uint8_t* start;
  const uint8_t* end;
  int32_t consumed;
  int32_t total;
  int32_t remaining;
  int32_t end_of_band_run;
  uint8_t* top_line;  // DIB address of the top image line
  uint8_t pending_marker;
  int32_t processor_kind;
  int32_t sequential_component_count;
  platform::ReadableFile* file;  // owned; null for a buffer source
  uint8_t file_buffer[kFileBufferBytes];
};

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

struct TableCounts {
  int32_t quant_tables;
  int32_t quant_slots_used;
  int32_t ac_tables;
  int32_t dc_tables;
  int32_t huffman_slots_used;
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

// Storage for a QuantTable whose entries the packed kernels read aligned;
// the record itself is only guaranteed 8-byte alignment.
struct QuantTableArea {
  alignas(8) unsigned char bytes[sizeof(QuantTable) + alignof(QuantTable)];
};
struct McuBufferArea {
  alignas(8) unsigned char bytes[sizeof(McuBuffer) + alignof(McuBuffer)];
};

struct PrivateState {
  int32_t io_type;
  int32_t output_path;
  // Why the image cannot be decoded with the routine the output set-up
  // found (0: it can); checked before a scan decodes anything.
  int32_t output_refusal;
  // Set when the MCUs go through the per-component routine (output_mcu is
  // then empty): 1 replicating subsampled chroma, 2 interpolating it.
  int32_t per_component_output;
  WorkingFields work;
  int32_t non_interleaved;
  int32_t mcus_across;
  int32_t mcus_down;
  TableCounts counts;
  QuantTableArea quant_areas[kMaxComponents];
  // Each quantisation table's values as the stream gave them (zig-zag order)
  // and the dct_method its prepared form was made for: a read with another
  // method prepares it again.
  int32_t quant_values[kMaxComponents][64];
  int32_t quant_prepared_for[kMaxComponents];
  HuffmanDecodeTable ac_tables[4];
  HuffmanDecodeTable dc_tables[4];
  uint8_t ac_selectors[kMaxComponents];
  uint8_t dc_selectors[kMaxComponents];
  JpegFrame frame;
  int32_t sof_kind;  // low nibble of the frame's SOF marker; -1 before a frame
  int32_t start_of_stream;
  int32_t progressive_scans;
  JpegScan* scan;
  // The extent the current scan started with. An interrupted decode reports
  // the MCU just written in `region`, so a resumed scan must not read it again.
  PixelRect scan_region;
  int32_t scan_is_region_read;
  // The read's extent is fixed; a read that does not resume a scan fixes it
  // again at its first scan.
  int32_t extent_settled;
  // The record's region index (region_index.h); null until a region read.
  RegionIndex* region_index;
  // The number of the current scan among the image's scans, counted from the
  // first scan the read met (-1 before it).
  int32_t scan_ordinal;
  // The current scan has decoded nothing yet: the input stands at its start.
  int32_t scan_at_start;
  // A read of the record has decoded the whole image (or the whole region);
  // the next read starts again from the beginning of the stream.
  int32_t image_done;
  JpegStream stream;
  AdobeMarker app14;
  JfifMarker app0;
  int32_t comment_capacity;  // jpeg_comment_size when the read began
  int16_t* const* raw_plane_list;  // the caller's raw plane list when the read began (raw_planes.h)
  McuBufferArea mcu_area;
  McuBuffer* mcu_buffer;  // first 32-byte boundary of mcu_area, set per read
  int16_t* coefficient_buffer;
  uint8_t* line_planes;  // the context planes of smooth upsampling (context_planes.h)
  int64_t line_plane_bytes;  // their size
  // The read ended at a scan header, whose segment the next read starts with.
  int32_t stopped_at_scan_header;
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

// The first address inside `area` aligned for a T.
template <typename T, std::size_t N>
void* AlignedStorage(unsigned char (&area)[N]) {
  static_assert(N >= sizeof(T) + alignof(T));
  const auto address = reinterpret_cast<std::uintptr_t>(area);
  const std::uintptr_t aligned = (address + alignof(T) - 1) & ~(std::uintptr_t{alignof(T)} - 1);
  return area + (aligned - address);
}

// The QuantTable `index`, created in its area by JpegInit.
inline QuantTable& QuantTableAt(PrivateState& state, int index) {
  return *std::launder(static_cast<QuantTable*>(AlignedStorage<QuantTable>(state.quant_areas[index].bytes)));
}

}  // namespace halvora::jpeg
