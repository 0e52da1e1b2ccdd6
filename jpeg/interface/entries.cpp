// The codec's entries. No exception leaves them (guarded.h).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "jpeg/encoder/encoder_state.h"
#include "jpeg/kernels/kernel_table.h"
#include "jpeg/interface/io_types.h"
#include "jpeg/markers/driver.h"
#include <halvora/jpeg.h>
#include "jpeg/interface/private_state.h"
#include "jpeg/markers/tables.h"
#include "jpeg/entropy/coefficient_buffer.h"
#include "jpeg/entropy/region_index.h"
#include "jpeg/input/stream_input.h"
#include "jpeg/interface/validate.h"
#include "jpeg/interface/dib_geometry.h"
#include "jpeg/interface/guarded.h"
#include "jpeg/interface/work_memory.h"

namespace halvora::jpeg {

namespace {

// ---- JpegInit ----

void WritePublicDefaults(JPEG_PROPERTIES& record) {
  record.use_state_as_is = 0;
  record.dib_pixels = nullptr;
  record.dib_width = 0;
  record.dib_height = 0;
  record.dib_pad_bytes = 0;
  record.dib_channels = 3;
  record.dib_color = JpegColorBgr;
  record.dib_subsampling = 0;
  record.jpeg_file_name = nullptr;
  record.jpeg_buffer = nullptr;
  record.jpeg_buffer_size = 0;
  record.jpeg_width = 0;
  record.jpeg_height = 0;
  record.jpeg_channels = 3;
  record.jpeg_color = JpegColorYCbCr;
  record.jpeg_subsampling = JpegSubsampling420;
  record.thumbnail_width = 0;
  record.thumbnail_height = 0;
  record.color_conversion_needed = 1;
  record.upsampling_needed = 1;
  record.quality = 75;
}

void CopyPublicFields(const JPEG_PROPERTIES& record, WorkingFields& work) {
  work.dib_pixels = record.dib_pixels;
  work.dib_width = record.dib_width;
  work.dib_height = record.dib_height;
  work.dib_pad_bytes = record.dib_pad_bytes;
  work.dib_channels = record.dib_channels;
  work.dib_color = record.dib_color;
  work.dib_subsampling = record.dib_subsampling;
  work.jpeg_file_name = record.jpeg_file_name;
  work.jpeg_buffer = record.jpeg_buffer;
  work.jpeg_buffer_size = record.jpeg_buffer_size;
  work.jpeg_color = record.jpeg_color;
  work.color_conversion_needed = record.color_conversion_needed;
  work.upsampling_needed = record.upsampling_needed;
  work.quality = record.quality;
}

void WriteCallerStateDefaults(JpegState& caller) {
  caller.region = JpegRegion{};
  caller.dct_method = 1;
  caller.interrupt_request = 0;
  caller.jpeg_comment = nullptr;
  caller.jpeg_comment_size = 0;
  caller.smooth_upsampling = 0;
  caller.raw_plane_list = nullptr;
  caller.quant_tables_supplied = 0;
  caller.huffman_tables_supplied = 0;
  std::memset(caller.quant_slots, 0, sizeof caller.quant_slots);
  std::memset(caller.huffman_slots, 0, sizeof caller.huffman_slots);
}

void WriteMarkerDefaults(PrivateState& state) {
  state.markers.app14 = AdobeMarker{0, 0, 100, 0, 0};
  state.markers.app0 = JfifMarker{0, 0x0101, 0, 1, 1};
}

int InitRecord(JPEG_PROPERTIES& record) {
  auto* state = new (record.state.private_state.bytes) PrivateState{};
  auto* table = new (std::nothrow) KernelTable{};
  if (table == nullptr) return JpegErrMemory;
  state->input.kernels = table;
  const ProcessorKind kind = BuildKernelTable(*table);

  WritePublicDefaults(record);
  CopyPublicFields(record, state->read.work);
  state->read.work.jpeg_channels = record.jpeg_channels;
  state->read.work.jpeg_subsampling = record.jpeg_subsampling;
  state->read.io_type = -1;
  WriteCallerStateDefaults(record.state);
  for (QuantTableArea& area : state->tables.quant_areas) new (AlignedStorage<QuantTable>(area.bytes)) QuantTable{};
  new (AlignedStorage<McuBuffer>(state->output.mcu_area.bytes)) McuBuffer{};

  state->markers.frame.components = new (std::nothrow) JpegComponent[kMaxComponents]();
  if (state->markers.frame.components == nullptr) return JpegErrMemory;
  state->markers.frame.component_count = kMaxComponents;
  for (int i = 0; i < kMaxComponents; ++i) {
    state->tables.dc_selectors[i] = i == 0 ? 0 : 1;
    state->tables.ac_selectors[i] = i == 0 ? 0 : 1;
  }
  state->input.processor_kind = kind;
  state->markers.start_of_stream = 1;
  state->markers.sof_kind = -1;
  WriteMarkerDefaults(*state);
  return JpegSuccess;
}

// ---- JpegRead ----

// Tables a caller stored in the slots replace those of earlier reads.
int LoadSuppliedTables(JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  JpegState& caller = record.state;
  if (caller.quant_tables_supplied != 0) {
    for (int i = 0; i < kMaxComponents; ++i) {
      const JpegQuantSlot& slot = caller.quant_slots[i];
      if (slot.values == nullptr) continue;
      QuantTable& table = QuantTableAt(state.tables, i);
      table.identifier = slot.identifier;
      table.precision = 0;
      // Stored in stream order like a DQT table, so it is prepared the same way.
      for (int k = 0; k < 64; ++k) state.tables.quant_values[i][k] = slot.values[k];
      PrepareQuantTableFor(state.tables, i, caller.dct_method);
    }
  }
  if (caller.huffman_tables_supplied != 0) {
    for (const JpegHuffmanSlot& slot : caller.huffman_slots) {
      if (slot.bits == nullptr || slot.values == nullptr) continue;
      if (slot.table_class > 1 || slot.identifier > 3) return JpegErrBadHuffmanTable;
      HuffmanDecodeTable& table =
          slot.table_class == 0 ? state.tables.dc_tables[slot.identifier] : state.tables.ac_tables[slot.identifier];
      if (BuildHuffmanDecodeTable(slot.bits, slot.values, slot.table_class, slot.identifier, table) != JpegSuccess) {
        return JpegErrBadHuffmanTable;
      }
    }
  }
  return JpegSuccess;
}

int OpenInputFile(PrivateState& state, const char* name) {
  if (state.input.file != nullptr) return JpegSuccess;
  state.input.file = platform::OpenFileForReading(name).release();
  return state.input.file != nullptr ? JpegSuccess : JpegErrFileName;
}

// Line distance and extent of the DIB in pointer-wide arithmetic; a DIB whose
// last byte cannot be addressed is refused.
int SetDibGeometry(WorkingFields& work, int ioType) {
  const int64_t lineBytes = DibLineBytes(work.dib_width, work.dib_channels, work.dib_pad_bytes);
  work.dib_line_bytes = static_cast<std::ptrdiff_t>(work.dib_height < 0 ? -lineBytes : lineBytes);
  if (!UsesDib(ioType) || work.dib_pixels == nullptr) return JpegSuccess;
  const int64_t lines = work.dib_height < 0 ? -int64_t{work.dib_height} : work.dib_height;
  return DibAddressable(work.dib_pixels, lineBytes, lines) ? JpegSuccess : JpegErrInvalidProperties;
}

int PrepareInput(JPEG_PROPERTIES& record, int ioType) {
  PrivateState& state = Private(record);
  CopyPublicFields(record, state.read.work);
  const int geometry = SetDibGeometry(state.read.work, ioType);
  if (geometry != JpegSuccess) return geometry;
  if (state.progression.scan != nullptr) return JpegSuccess;
  if (!IsFileType(ioType)) {
    StartBufferInput(state.input, record.jpeg_buffer, record.jpeg_buffer_size);
    return JpegSuccess;
  }
  StartFileInput(state.input);
  if (ioType == FileReadThumbnail && SeekStreamFile(state.input, 0, platform::SeekFrom::kStart) != 0) return JpegErrFile;
  return JpegSuccess;
}

void PlaceWorkAreas(PrivateState& state) {
  const WorkingFields& work = state.read.work;
  state.input.top_line = work.dib_pixels;
  if (work.dib_height < 0 && work.dib_pixels != nullptr) {
    state.input.top_line = work.dib_pixels + (std::ptrdiff_t{work.dib_height} + 1) * work.dib_line_bytes;
  }
  state.output.mcu_buffer =
      std::launder(static_cast<McuBuffer*>(AlignedStorage<McuBuffer>(state.output.mcu_area.bytes)));
}

void ReportInterruptedRegion(JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  JpegRegion& region = record.state.region;
  region.right = std::min((region.right * 8 + 8) * state.markers.frame.h_max, state.read.work.jpeg_width);
  region.bottom = std::min((region.bottom * 8 + 8) * state.markers.frame.v_max, state.read.work.jpeg_height);
}

void SettleColors(PrivateState& state) {
  WorkingFields& work = state.read.work;
  const int channels = work.jpeg_channels;
  const bool paramsRead = state.read.io_type == FileReadParams || state.read.io_type == BufferReadParams;
  if (state.markers.app14.seen != 0) {
    if (paramsRead) {
      if (channels == 1) work.jpeg_color = JpegColorGrey;
      if (channels == 3) work.jpeg_color = state.markers.app14.transform != 0 ? JpegColorYCbCr : JpegColorRgb;
      if (channels == 4) {
        work.dib_channels = 4;
        work.dib_color = JpegColorRgba;
        work.jpeg_color = state.markers.app14.transform != 0 ? JpegColorYCbCrAlpha : JpegColorRgba;
      }
    }
  } else {
    if (channels == 1) work.jpeg_color = JpegColorGrey;
    if (channels == 3 && state.markers.app0.seen != 0) work.jpeg_color = JpegColorYCbCr;
  }
  if (work.dib_color == JpegColorYCbCr && work.jpeg_color == JpegColorYCbCr) work.dib_subsampling = 2;
}

// Leaves the input at the start of the segment the read stopped at: the
// scan header of a parameter read, or the bytes not yet consumed.
int SetInputBack(PrivateState& state) {
  JpegStream& stream = state.input;
  const int32_t segment = state.read.stopped_at_scan_header ? state.read.scan_header_bytes : 0;
  if (IsOneOf(state.read.io_type, {FileReadParams, FileReadHeader, FileReadImageData, FileReadHalf, FileReadQuarter,
                              FileReadEighth, FileReadThumbnail})) {
    const int64_t back = int64_t{stream.remaining} + segment;
    if (SeekStreamFile(stream, -back, platform::SeekFrom::kCurrent) < 0) return JpegErrFile;
    // The buffered bytes now lie ahead in the file again.
    stream.position = stream.end;
    stream.remaining = 0;
  } else if (state.read.io_type == BufferReadParams || state.read.io_type == BufferReadThumbnail) {
    stream.position -= segment;
    stream.remaining += segment;
  }
  return JpegSuccess;
}

void CopyOut(JPEG_PROPERTIES& record) {
  const PrivateState& state = Private(record);
  const WorkingFields& work = state.read.work;
  record.jpeg_width = work.jpeg_width;
  record.jpeg_height = work.jpeg_height;
  record.jpeg_channels = work.jpeg_channels;
  record.thumbnail_width = work.thumbnail_width;
  record.thumbnail_height = work.thumbnail_height;
  record.color_conversion_needed = work.color_conversion_needed;
  record.upsampling_needed = work.upsampling_needed;
  record.jpeg_subsampling = SubsamplingCodeOf(state.markers.frame);
  record.jpeg_color = work.jpeg_color;
  record.dib_color = work.dib_color;
  record.dib_channels = work.dib_channels;
}

int WriteBack(JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  SettleColors(state);
  const int position = SetInputBack(state);
  if (position != JpegSuccess) return position;
  CopyOut(record);
  if (IsOneOf(state.read.io_type, {FileReadImage, FileReadHeader, FileReadImageData})) {
    return CloseStreamFile(state.input);
  }
  return JpegSuccess;
}

int ReadRecord(JPEG_PROPERTIES& record, int ioType) {
  PrivateState& state = Private(record);
  state.read.io_type = ioType;
  const int valid = ValidateProperties(record, ioType, Direction::kRead);
  if (valid != JpegSuccess) return valid;
  state.read.memory_limit = WorkMemoryLimit(record.state);
  if (StartsStream(ioType)) state.markers.start_of_stream = 1;
  if (IsImageRead(ioType)) {
    const int tables = LoadSuppliedTables(record);
    if (tables != JpegSuccess) return tables;
  } else {
    state.tables.counts = TableCounts{};
  }
  if (IsFileType(ioType)) {
    const int opened = OpenInputFile(state, record.jpeg_file_name);
    if (opened != JpegSuccess) return opened;
  }
  if (record.use_state_as_is == 0) {
    const int input = PrepareInput(record, ioType);
    if (input != JpegSuccess) return input;
  }
  state.markers.comment_capacity = std::max(record.state.jpeg_comment_size, 0);
  state.output.raw_plane_list = record.state.raw_plane_list;
  PlaceWorkAreas(state);

  const int result = DecodeStream(record);
  if (result == JpegInterruptSuccess) ReportInterruptedRegion(record);
  if (result != JpegSuccess) return result;
  return WriteBack(record);
}

// The end of every read, also after a failure.
void FinishRead(PrivateState& state, int result) {
  state.input.kernels->leave_simd_state();
  if (result < 0) CloseStreamFile(state.input);
}

// ---- JpegFree ----

int ReleaseRecord(JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  // Everything is released even when the close fails; its error is reported.
  const int closed = CloseStreamFile(state.input);
  delete[] state.markers.frame.components;
  state.markers.frame.components = nullptr;
  state.markers.frame.component_count = 0;
  ReleaseCoefficientBuffer(state);
  delete[] state.output.line_planes;
  state.output.line_planes = nullptr;
  state.output.line_plane_bytes = 0;
  ReleaseRegionIndex(state.region);
  ReleaseScan(record);
  ReleaseEncoderState(state);
  std::memset(record.state.quant_slots, 0, sizeof record.state.quant_slots);
  std::memset(record.state.huffman_slots, 0, sizeof record.state.huffman_slots);
  state.tables.counts = TableCounts{};
  record.state.quant_tables_supplied = 0;
  record.state.huffman_tables_supplied = 0;
  if (state.input.kernels != nullptr) {
    delete state.input.kernels;
    state.input.kernels = nullptr;
  }
  return closed;
}

}  // namespace

}  // namespace halvora::jpeg

using namespace halvora::jpeg;

extern "C" int JpegInit(JPEG_PROPERTIES* record) {
  if (record == nullptr) return JpegErrInvalidProperties;
  return Guarded([&] { return InitRecord(*record); });
}

extern "C" int JpegRead(JPEG_PROPERTIES* record, int ioType) {
  if (record == nullptr || !IsInitialised(*record)) return JpegErrInvalidProperties;
  PrivateState& state = Private(*record);
  const int result = Guarded([&] { return ReadRecord(*record, ioType); });
  FinishRead(state, result);
  return result;
}

extern "C" int JpegFree(JPEG_PROPERTIES* record) {
  if (record == nullptr) return JpegErrInvalidProperties;
  return Guarded([&] { return ReleaseRecord(*record); });
}
