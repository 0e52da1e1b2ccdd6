// The writing side of the codec: JpegWrite and the writing I/O types. A
// write checks the record, settles the frame, its colours and tables, opens
// the output and writes the stream's segments and scans; a write that fails
// leaves no file behind.
#include <halvora/jpeg.h>

#include "jpeg/encoder/encoder_state.h"
#include "jpeg/encoder/huffman_statistics.h"
#include "jpeg/encoder/marker_writer.h"
#include "jpeg/encoder/progressive_encoder.h"
#include "jpeg/encoder/progressive_script.h"
#include "jpeg/encoder/quant_tables.h"
#include "jpeg/encoder/sequential_encoder.h"
#include "jpeg/encoder/write_settings.h"
#include "jpeg/interface/guarded.h"
#include "jpeg/interface/io_types.h"
#include "jpeg/interface/private_state.h"
#include "jpeg/interface/work_memory.h"
#include "jpeg/kernels/kernel_table.h"

namespace halvora::jpeg {

namespace {

void SettleQuantTables(EncoderState& encoder) {
  EncoderTables& tables = encoder.tables;
  for (int t = 0; t < encoder.frame.table_count; ++t) {
    ScaledQuantTable(t, encoder.settings.quality, tables.quant_values[t]);
    PrepareForwardQuantTable(tables.quant_values[t], tables.forward_quant[t]);
  }
}

void UseHuffmanTables(EncoderState& encoder, int table, const HuffmanSpec& dc, const HuffmanSpec& ac) {
  EncoderTables& tables = encoder.tables;
  tables.dc[table] = dc;
  tables.ac[table] = ac;
  tables.dc_codes[table] = MakeEncodeTable(dc);
  tables.ac_codes[table] = MakeEncodeTable(ac);
}

// The example tables, or (for an optimised sequential image) tables made for
// it in a first pass over the DIB. A progressive image makes its own for
// each scan.
void SettleHuffmanTables(EncoderState& encoder, const KernelTable& kernels) {
  const int count = encoder.frame.table_count;
  if (encoder.settings.progressive) return;
  if (!encoder.settings.optimize_huffman || !encoder.settings.image) {
    for (int t = 0; t < count; ++t) UseHuffmanTables(encoder, t, ExampleDcTable(t), ExampleAcTable(t));
    return;
  }
  SymbolCounts dc[2] = {};
  SymbolCounts ac[2] = {};
  CountSequentialScan(encoder, kernels, dc, ac);
  for (int t = 0; t < count; ++t) UseHuffmanTables(encoder, t, OptimalHuffmanSpec(dc[t]), OptimalHuffmanSpec(ac[t]));
}

int WriteTables(const EncoderState& encoder, OutputSink& sink, bool huffman) {
  const FrameLayout& frame = encoder.frame;
  int result = WriteQuantTables(sink, encoder.tables.quant_values, frame.table_count);
  for (int t = 0; t < frame.table_count && huffman && result == JpegSuccess; ++t) {
    result = WriteHuffmanTable(sink, 0, t, encoder.tables.dc[t]);
    if (result == JpegSuccess) result = WriteHuffmanTable(sink, 1, t, encoder.tables.ac[t]);
  }
  return result;
}

int WriteColourMarker(const ColourPlan& colours, OutputSink& sink) {
  switch (colours.marker) {
    case ColourMarker::kJfif:
      return WriteJfif(sink);
    case ColourMarker::kAdobe:
      return WriteAdobe(sink, colours.adobe_transform);
    default:
      return JpegSuccess;
  }
}

// The segments before the first scan header, in the order readers expect:
// identification, comment, tables, frame, restart interval.
int WriteImageHeader(const EncoderState& encoder, OutputSink& sink) {
  const WriteSettings& settings = encoder.settings;
  int result = WriteMarker(sink, kSoiCode);
  if (result == JpegSuccess) result = WriteColourMarker(encoder.colours, sink);
  if (result == JpegSuccess && settings.comment != nullptr) {
    result = WriteComment(sink, settings.comment, settings.comment_size);
  }
  if (result == JpegSuccess && settings.tables) result = WriteTables(encoder, sink, !settings.progressive);
  if (result == JpegSuccess) result = WriteFrameHeader(sink, encoder.frame, settings.progressive);
  if (result == JpegSuccess && settings.restart_interval > 0) {
    result = WriteRestartInterval(sink, settings.restart_interval);
  }
  return result;
}

// A progressive image's scans read all of its blocks, which must fit the
// record's work memory budget.
bool FitsMemoryBudget(const EncoderState& encoder, const JpegState& caller) {
  if (!encoder.settings.progressive || !encoder.settings.image) return true;
  return BlockCount(encoder.frame, true) * int64_t{sizeof(CoefficientBlock)} <= WorkMemoryLimit(caller);
}

int WriteProgressiveImage(EncoderState& encoder, const KernelTable& kernels, OutputSink& sink) {
  TransformImage(encoder, kernels);
  return EncodeProgressiveScans(encoder, MakeProgressiveScript(encoder.frame), sink);
}

int WriteSequentialImage(EncoderState& encoder, const KernelTable& kernels, OutputSink& sink) {
  const FrameLayout& frame = encoder.frame;
  ScanHeader scan{frame.component_count, {0, 1, 2, 3}, 0, 63, 0, 0};
  const int result = WriteScanHeader(sink, frame, scan);
  return result != JpegSuccess ? result : EncodeSequentialScan(encoder, kernels, sink);
}

int WriteStream(EncoderState& encoder, const KernelTable& kernels, OutputSink& sink) {
  if (!encoder.settings.image) {
    int result = WriteMarker(sink, kSoiCode);
    if (result == JpegSuccess) result = WriteTables(encoder, sink, true);
    return result != JpegSuccess ? result : WriteMarker(sink, kEoiCode);
  }
  int result = WriteImageHeader(encoder, sink);
  if (result != JpegSuccess) return result;
  result = encoder.settings.progressive ? WriteProgressiveImage(encoder, kernels, sink)
                                        : WriteSequentialImage(encoder, kernels, sink);
  return result != JpegSuccess ? result : WriteMarker(sink, kEoiCode);
}

int OpenSink(EncoderState& encoder, OutputSink& sink) {
  const WriteSettings& settings = encoder.settings;
  encoder.staging.resize(kStagingBytes);
  if (!IsFileType(settings.io_type)) {
    sink = BufferSink(encoder.staging.data(), kStagingBytes, settings.buffer, settings.capacity);
    return JpegSuccess;
  }
  return OpenFileSink(encoder.staging.data(), kStagingBytes, settings.file_name, sink);
}

int WriteRecord(JPEG_PROPERTIES& record, int ioType) {
  PrivateState& state = Private(record);
  WriteSettings settings;
  const int checked = CheckWrite(record, ioType, settings);
  if (checked != JpegSuccess) return checked;
  EncoderState& encoder = EncoderStateOf(state);
  encoder.settings = settings;
  encoder.frame =
      LayOutFrame(settings.width, settings.height, settings.channels, settings.subsampling, settings.jpeg_color);
  encoder.colours = PlanColours(settings.dib_color, settings.dib_channels, settings.jpeg_color, settings.channels);
  if (!FitsMemoryBudget(encoder, record.state)) return JpegErrMemory;
  const KernelTable& kernels = *state.input.kernels;
  SettleQuantTables(encoder);
  SettleHuffmanTables(encoder, kernels);
  OutputSink sink{};
  int result = OpenSink(encoder, sink);
  if (result != JpegSuccess) return result;
  result = Guarded([&] { return WriteStream(encoder, kernels, sink); });
  if (result == JpegSuccess) result = FinishSink(sink);
  if (result != JpegSuccess) {
    DiscardSink(sink);
    return result;
  }
  if (!IsFileType(ioType)) record.jpeg_buffer_size = static_cast<int32_t>(sink.delivered);
  return JpegSuccess;
}

}  // namespace

}  // namespace halvora::jpeg

using namespace halvora::jpeg;

extern "C" int JpegWrite(JPEG_PROPERTIES* record, int ioType) {
  if (record == nullptr || !IsInitialised(*record)) return JpegErrInvalidProperties;
  const int result = Guarded([&] { return WriteRecord(*record, ioType); });
  Private(*record).input.kernels->leave_simd_state();
  return result;
}
