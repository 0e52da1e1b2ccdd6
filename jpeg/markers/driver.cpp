#include "jpeg/markers/driver.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "jpeg/entropy/coefficient_buffer.h"
#include "jpeg/output/smooth_output.h"
#include "jpeg/entropy/decode_scan.h"
#include "jpeg/kernels/kernel_table.h"
#include "jpeg/interface/io_types.h"
#include "jpeg/interface/work_memory.h"
#include "jpeg/interface/private_state.h"
#include "jpeg/kernels/color_pass.h"
#include "jpeg/markers/segment_parsers.h"
#include "jpeg/output/progressive_output.h"
#include "jpeg/entropy/progressive_scan.h"
#include "jpeg/output/raw_planes.h"
#include "jpeg/output/select_output.h"
#include "jpeg/entropy/sequential_scan.h"
#include "jpeg/input/stream_input.h"

namespace halvora::jpeg {

namespace {

constexpr int kSoi = 0xD8;
constexpr int kEoi = 0xD9;
constexpr int kSos = 0xDA;
constexpr int kDqt = 0xDB;
constexpr int kDri = 0xDD;
constexpr int kDht = 0xC4;
constexpr int kSof0 = 0xC0;
constexpr int kSof1 = 0xC1;
constexpr int kSof2 = 0xC2;
constexpr int kApp0 = 0xE0;
constexpr int kApp14 = 0xEE;
constexpr int kCom = 0xFE;

// What the marker loop does after a marker: go on, or end the read.
constexpr int kContinue = 1000;

bool IsUnsupportedFrame(int code) {
  return code == 0xC3 || (code >= 0xC5 && code <= 0xCB) || (code >= 0xCD && code <= 0xCF);
}

bool ScanUnderWay(const PrivateState& state) {
  return state.progression.scan != nullptr &&
         (state.progression.scan->resume_column != 0 || state.progression.scan->resume_row != 0);
}

// Single-component scans of an image that is still being read start again
// from the beginning of the stream.
int RewindToStreamStart(PrivateState& state) {
  JpegStream& stream = state.input;
  stream.accumulator = 0;
  stream.consumed = 0;
  if (stream.file != nullptr) {
    if (SeekStreamFile(stream, 0, platform::SeekFrom::kStart) != 0) return JpegErrFile;
    return RefillFileBuffer(stream);
  }
  stream.position = stream.start;
  stream.remaining = stream.total;
  return JpegSuccess;
}

// The size and sampling of a frame: what the caller's DIB (sized by the
// parameter read), the output set-up and the scans already decoded depend on.
bool SameGeometry(const JpegFrame& frame, const ParsedFrame& parsed) {
  if (frame.width != parsed.frame.width || frame.height != parsed.frame.height ||
      frame.component_count != parsed.frame.component_count) {
    return false;
  }
  for (int i = 0; i < frame.component_count; ++i) {
    if (frame.components[i].h != parsed.components[i].h || frame.components[i].v != parsed.components[i].v) {
      return false;
    }
  }
  return true;
}

// The frame the header describes becomes the record's. What other segments
// and the scans keep in the frame (the restart interval, the complete
// counts) stays, and so does the component array JpegInit allocated.
void StoreFrame(MarkerState& markers, const ParsedFrame& parsed, int sofKind) {
  JpegFrame& frame = markers.frame;
  const JpegFrame& header = parsed.frame;
  frame.precision = header.precision;
  frame.width = header.width;
  frame.height = header.height;
  frame.mcu_height = header.mcu_height;
  frame.mcu_width = header.mcu_width;
  frame.h_max = header.h_max;
  frame.v_max = header.v_max;
  frame.component_count = header.component_count;
  frame.mcus_per_row = header.mcus_per_row;
  frame.mcu_count = header.mcu_count;
  std::copy(parsed.components, parsed.components + kMaxComponents, frame.components);
  markers.sof_kind = sofKind;
}

int FrameHeader(JPEG_PROPERTIES& record, int code) {
  PrivateState& state = Private(record);
  if (state.read.io_type == FileReadHeader || state.read.io_type == BufferReadHeader) {
    // The next read starts at this SOF marker.
    state.input.consumed -= 2;
    return JpegSuccess;
  }
  // The coefficient buffer is laid out for the frame it was made for; the
  // scans still to come would index it with another frame's geometry.
  if (state.progression.coefficient_buffer != nullptr) return JpegErrMultipleFrames;
  ParsedFrame parsed;
  const int result = ParseSof(state.input, parsed);
  if (result != JpegSuccess) return result;
  // A frame header after the read has decoded a scan may repeat the frame,
  // but one of another size or sampling would leave everything made for the
  // first describing another image.
  if (state.progression.scan_ordinal >= 0 && !SameGeometry(state.markers.frame, parsed)) {
    return JpegErrMultipleFrames;
  }
  StoreFrame(state.markers, parsed, code - kSof0);
  state.markers.start_of_stream = 0;
  state.read.work.jpeg_channels = state.markers.frame.component_count;
  state.read.work.jpeg_width = state.markers.frame.width;
  state.read.work.jpeg_height = state.markers.frame.height;
  const int selected = SelectOutput(record);
  return selected != JpegSuccess ? selected : kContinue;
}

// An image coded in single-component scans holds Y, Cb and Cr bytes until
// its last scan is in; the colour conversion then runs once over the DIB.
void ConvertSingleScanImage(PrivateState& state) {
  const WorkingFields& work = state.read.work;
  if (state.progression.non_interleaved == 0 || work.color_conversion_needed == 0 ||
      state.progression.progressive_scans != 0)
    return;
  // A read into raw planes writes no DIB.
  if (state.input.top_line == nullptr || RawPlaneList(state) != nullptr) return;
  const DibView dib{state.input.top_line, work.dib_line_bytes, work.dib_width, work.dib_height, work.dib_channels};
  ConvertDibInPlace(dib, state.region.scan_region, work.dib_color, work.jpeg_color);
}

int EndOfImage(JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  const int ioType = state.read.io_type;
  const bool tablesOnly = state.markers.start_of_stream != 0;
  // A parameter read of a stream of tables goes on to the image that follows,
  // as an image read does; the header and thumbnail reads end here.
  const bool isParamsRead = ioType == FileReadParams || ioType == BufferReadParams;
  if (StartsStream(ioType) && !(tablesOnly && isParamsRead)) return JpegSuccess;
  if (!tablesOnly) {
    ConvertSingleScanImage(state);
    // A progressive image is written once, here, from its coefficients as
    // they stand: also when its scans stopped short of the full progression.
    const int result = OutputProgressiveImage(record);
    if (result != JpegSuccess) return result;
    state.read.image_done = 1;
    return state.region.scan_is_region_read != 0 ? JpegRoiSuccess : JpegSuccess;
  }
  int code = 0;
  const int result = ReadMarker(state.input, code);
  if (result != JpegSuccess) return result;
  return code == kSoi ? kContinue : JpegErrNoImage;
}

void CountProgressiveScan(PrivateState& state, const JpegScan& scan) {
  if (scan.ss == 0 && scan.se == 0 && scan.al == 0) {
    state.markers.frame.dc_complete_count += scan.ns;
  } else if (scan.al == 0 && scan.se == 63) {
    state.markers.frame.ac_complete_count += 1;
  }
}

bool IsSequentialScan(const PrivateState& state, const JpegScan& scan) {
  return scan.ss == 0 && scan.se == 63 && scan.ah == 0 && scan.al == 0 && state.progression.progressive_scans == 0;
}

// The context planes of smooth upsampling, made again when a later image of
// the record needs more than the planes it has.
int AllocateLinePlanes(JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  if (record.state.smooth_upsampling != 1) return JpegSuccess;
  const int64_t bytes = ContextPlaneBytes(state.markers.frame, state.output.mcus_across);
  if (bytes <= 0) return JpegErrComp;
  if (state.output.line_planes != nullptr && state.output.line_plane_bytes >= bytes) return JpegSuccess;
  if (!WorkMemoryFits(state, bytes, state.output.line_plane_bytes)) return JpegErrMemory;
  delete[] state.output.line_planes;
  state.output.line_plane_bytes = 0;
  state.output.line_planes = new (std::nothrow) uint8_t[static_cast<size_t>(bytes)]();
  if (state.output.line_planes == nullptr) return JpegErrMemory;
  state.output.line_plane_bytes = bytes;
  return JpegSuccess;
}

int DecodeCurrentScan(JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  JpegScan& scan = *state.progression.scan;
  if (state.progression.non_interleaved && state.progression.progressive_scans == 0)
    state.markers.frame.ac_complete_count += scan.ns;
  const int planes = AllocateLinePlanes(record);
  if (planes != JpegSuccess) return planes;
  int marker = 0;
  const int result = DecodeScan(marker, state.input, scan, record);
  if (result < 0) return result;  // the scan stays current; JpegFree releases it
  if (result == 0) {
    if (state.progression.progressive_scans == 0) state.input.sequential_component_count += scan.ns;
    ReleaseScan(record);
    return kContinue;
  }
  record.state.interrupt_request = 0;
  if (result == JpegRoiSuccess) {
    state.read.image_done = 1;
    // The scans of an image coded in single-component scans are read again
    // from the start by the next read; an interleaved scan stays current.
    if (state.progression.non_interleaved != 0) {
      ConvertSingleScanImage(state);
      ReleaseScan(record);
    }
  }
  return result;
}

int ScanHeader(JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  // A scan left current by an earlier read gives way to the new one.
  ReleaseScan(record);
  state.progression.scan = new (std::nothrow) JpegScan{};
  if (state.progression.scan == nullptr) return JpegErrMemory;
  int result = ParseSos(state.input, state.markers, state.tables, *state.progression.scan,
                        state.read.scan_header_bytes);
  if (result != JpegSuccess) {
    ReleaseScan(record);
    return result;
  }
  if (StartsStream(state.read.io_type)) {
    // The read ends at this SOS marker; the next read of the record starts here.
    state.input.consumed -= state.read.scan_header_bytes;
    state.read.stopped_at_scan_header = 1;
    ReleaseScan(record);
    return JpegSuccess;
  }
  JpegScan& scan = *state.progression.scan;
  scan.restart_interval = state.markers.frame.restart_interval;
  state.progression.scan_ordinal += 1;
  state.progression.scan_at_start = 1;
  // The first scan of a progressive image is not a single-component scan of
  // a sequential one, whatever components it names.
  state.progression.non_interleaved =
      scan.ns < state.markers.frame.component_count && IsSequentialScan(state, scan) ? 1 : 0;
  if (IsSequentialScan(state, scan) && state.progression.scan_ordinal >= kMaxSequentialScans) {
    ReleaseScan(record);
    return JpegErrData;
  }
  SelectOutput(record);  // its refusals already ended the frame header
  if (!IsSequentialScan(state, scan)) {
    CountProgressiveScan(state, scan);
    state.progression.progressive_scans += 1;
    if (state.progression.progressive_scans == 1) {
      result = AllocateCoefficientBuffer(state);
      if (result != JpegSuccess) {
        ReleaseScan(record);
        return result;
      }
    }
  }
  return DecodeCurrentScan(record);
}

int ActOnMarker(JPEG_PROPERTIES& record, int code) {
  PrivateState& state = Private(record);
  if (code == kSof0 || ((code == kSof1 || code == kSof2) && state.markers.start_of_stream != 0)) {
    return FrameHeader(record, code);
  }
  if (IsUnsupportedFrame(code)) return JpegErrUnsupportedFrame;
  int result = JpegSuccess;
  switch (code) {
    case kSoi:
      state.markers.frame.restart_interval = 0;
      break;
    case kSof1:
    case kSof2:
      break;  // a later frame of these kinds is ignored; the marker search passes over it
    case kDht:
      result = ParseDht(state.input, state.tables, record.state.huffman_slots);
      break;
    case kDqt:
      result = ParseDqt(state.input, state.tables, record.state.quant_slots, record.state.dct_method);
      break;
    case kDri:
      result = ParseDri(state.input, state.markers.frame.restart_interval);
      break;
    case kSos:
      return ScanHeader(record);
    case kEoi:
      return EndOfImage(record);
    case kApp0:
      if (state.read.io_type != FileReadImageData) result = ParseApp0(state.input, state.markers, state.read);
      break;
    case kApp14:
      result = ParseApp14(state.input, state.markers.app14);
      if (result == JpegSuccess && state.markers.start_of_stream == 0) result = SelectOutput(record);
      break;
    case kCom:
      result = ParseCom(state.input, state.markers, record.state);
      break;
    default:
      if (code >= 0xD0 && code <= 0xD7) break;  // restart markers between segments
      result = SkipSegment(state.input);  // DAC and every other segment
      break;
  }
  return result != JpegSuccess ? result : kContinue;
}

int MarkerLoop(JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  for (;;) {
    int code = 0;
    const int result = ReadMarker(state.input, code);
    if (result != JpegSuccess) return result;
    // A progressive stream cut before its EOI still shows what arrived.
    if (code == kEndOfData) return OutputProgressiveImage(record);
    const int action = ActOnMarker(record, code);
    if (action != kContinue) return action;
  }
}

// Every scan of a progressive image is in its coefficient buffer: a further
// read of the record writes it (or its region) from there.
int OutputDecodedImage(JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  int result = SettleReadExtent(state, record.state.region);
  if (result == JpegSuccess) result = AllocateLinePlanes(record);
  if (result != JpegSuccess) return result;
  result = OutputProgressiveImage(record);
  if (result != JpegSuccess) return result;
  return state.region.scan_is_region_read != 0 ? JpegRoiSuccess : JpegSuccess;
}

// Where a read starts. A scan under way goes on where it stopped. Otherwise
// what an earlier read left current can only be taken up by another region
// read of that scan, and the scans of an image coded in single-component
// scans, or of an image (or region) already done, are read again from the
// beginning of the stream.
int PlaceInput(JPEG_PROPERTIES& record, bool underWay) {
  PrivateState& state = Private(record);
  if (underWay) return JpegSuccess;
  if (IsImageRead(state.read.io_type) && state.progression.scan != nullptr &&
      !IsRegionRead(record.state.region, state.read.work)) {
    ReleaseScan(record);
  }
  const bool rewinds =
      state.progression.non_interleaved != 0 || (state.progression.scan == nullptr && state.read.image_done != 0);
  if (rewinds) ReleaseScan(record);
  if (state.progression.scan != nullptr) return JpegSuccess;
  ResetStream(state.input);
  state.progression.scan_ordinal = -1;
  if (!rewinds) return JpegSuccess;
  state.read.image_done = 0;
  return RewindToStreamStart(state);
}

int RequireSoi(PrivateState& state) {
  int code = 0;
  const int result = ReadMarker(state.input, code);
  if (result != JpegSuccess) return result;
  return code == kSoi ? JpegSuccess : JpegErrNotJpeg;
}

}  // namespace

void ReleaseScan(JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  if (state.progression.scan == nullptr) return;
  delete[] state.progression.scan->components;
  delete state.progression.scan;
  state.progression.scan = nullptr;
}

int DecodeStream(JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  const int ioType = state.read.io_type;
  const bool underWay = ScanUnderWay(state);
  state.read.stopped_at_scan_header = 0;
  if (!underWay) {
    state.region.extent_settled = 0;
    state.progression.units_decoded = 0;
    state.progression.units_without_data = 0;
  }
  if (state.markers.start_of_stream == 0) {
    const int selected = SelectOutput(record);
    if (selected != JpegSuccess) return selected;
  }
  if (IsImageRead(ioType) && !underWay && state.read.image_done != 0 && state.progression.progressive_scans != 0 &&
      state.progression.scan == nullptr) {
    if (CoefficientsServeRead(state)) return OutputDecodedImage(record);
    // An earlier read passed over terms this one shows: the image is decoded
    // again from the start of its stream.
    ReleaseCoefficientBuffer(state);
  }
  const int placed = PlaceInput(record, underWay);
  if (placed != JpegSuccess) return placed;
  const JpegRegion& region = record.state.region;
  const bool wholeImage = region.left == 0 && region.top == 0 && region.right == 0 && region.bottom == 0;
  if (!IsOneOf(ioType, {FileReadImageData, BufferReadImageData, FileReadHalf, BufferReadHalf, FileReadQuarter,
                        BufferReadQuarter, FileReadEighth, BufferReadEighth}) &&
      wholeImage) {
    state.input.consumed = 0;
  }
  if (StartsStream(ioType)) {
    const int soi = RequireSoi(state);
    if (soi != JpegSuccess) return soi;
  }
  if (state.progression.progressive_scans == 0) {
    state.markers.frame.dc_complete_count = 0;
    state.markers.frame.ac_complete_count = 0;
  }
  if (state.progression.scan != nullptr) {
    const int resumed = DecodeCurrentScan(record);
    if (resumed != kContinue) return resumed;
  }
  return MarkerLoop(record);
}

}  // namespace halvora::jpeg
