#include "jpeg/encoder/sequential_encoder.h"

#include "jpeg/encoder/bit_writer.h"
#include "jpeg/encoder/forward_transform.h"
#include "jpeg/encoder/marker_writer.h"
#include "jpeg/kernels/huffman_encode.h"

namespace halvora::jpeg {

namespace {

// Makes the blocks of each MCU row in turn, into the MCU row's own buffer
// (`wholeImage` false) or into its place among the whole image's blocks,
// and hands the row's block rows to `visit`, until it answers a failure.
template <typename Visit>
int ForEachMcuRow(EncoderState& encoder, const KernelTable& kernels, bool wholeImage, Visit visit) {
  const FrameLayout& frame = encoder.frame;
  encoder.samples.resize(McuRowSampleBytes(frame));
  const McuRowSamples samples = PlaceMcuRowSamples(frame, encoder.samples.data());
  std::vector<CoefficientBlock>& blocks = wholeImage ? encoder.image_blocks : encoder.row_blocks;
  blocks.resize(static_cast<size_t>(BlockCount(frame, wholeImage)));
  for (int32_t row = 0; row < frame.mcus_down; ++row) {
    ConvertMcuRow(encoder.settings, encoder.colours, frame, kernels, row, samples);
    CoefficientBlock* rows[kMaxComponents] = {};
    McuRowBlockRows(frame, blocks.data(), row, wholeImage, rows);
    TransformMcuRow(frame, samples, encoder.tables.forward_quant, kernels, rows);
    const int result = visit(rows);
    if (result != JpegSuccess) return result;
  }
  return JpegSuccess;
}

// Hands each block of MCU `column` to `code`, in the order of the scan:
// component by component, each component's blocks row by row.
template <typename Code>
void ForEachMcuBlock(const FrameLayout& frame, CoefficientBlock* const* rows, int32_t column, Code code) {
  for (int k = 0; k < frame.component_count; ++k) {
    const EncodedComponent& component = frame.components[k];
    const CoefficientBlock* first = rows[k] + column * component.h;
    for (int32_t y = 0; y < component.v; ++y) {
      for (int32_t x = 0; x < component.h; ++x) code(k, first[y * component.blocks_across + x]);
    }
  }
}

bool RestartDue(const WriteSettings& settings, int64_t mcu) {
  return settings.restart_interval > 0 && mcu > 0 && mcu % settings.restart_interval == 0;
}

}  // namespace

int EncodeSequentialScan(EncoderState& encoder, const KernelTable& kernels, OutputSink& sink) {
  const FrameLayout& frame = encoder.frame;
  const EncoderTables& tables = encoder.tables;
  // The most an MCU can take, with the bits left over from the MCU before
  // it and a restart marker.
  const size_t mcuRoom = static_cast<size_t>(BlocksPerMcu(frame)) * kMaxBlockBytes + 32;
  BitBuffer bits{};
  int16_t predictions[kMaxComponents] = {};
  int64_t mcu = 0;
  int result = ForEachMcuRow(encoder, kernels, false, [&](CoefficientBlock* const* rows) -> int {
    for (int32_t column = 0; column < frame.mcus_across; ++column, ++mcu) {
      const int room = ReserveRoom(sink, mcuRoom);
      if (room != JpegSuccess) return room;
      uint8_t* out = sink.next;
      if (RestartDue(encoder.settings, mcu)) {
        out = FlushBits(out, bits);
        *out++ = 0xFF;
        *out++ = static_cast<uint8_t>(kFirstRestartCode + (mcu / encoder.settings.restart_interval - 1) % 8);
        for (int16_t& prediction : predictions) prediction = 0;
      }
      ForEachMcuBlock(frame, rows, column, [&](int k, const CoefficientBlock& block) {
        const int t = frame.components[k].table;
        out = kernels.encode_block(out, bits, block, predictions[k], tables.dc_codes[t], tables.ac_codes[t]);
      });
      sink.next = out;
    }
    return JpegSuccess;
  });
  if (result != JpegSuccess) return result;
  result = ReserveRoom(sink, 8);
  if (result == JpegSuccess) sink.next = FlushBits(sink.next, bits);
  return result;
}

void CountSequentialScan(EncoderState& encoder, const KernelTable& kernels, SymbolCounts (&dc)[2],
                         SymbolCounts (&ac)[2]) {
  const FrameLayout& frame = encoder.frame;
  int16_t predictions[kMaxComponents] = {};
  int64_t mcu = 0;
  ForEachMcuRow(encoder, kernels, false, [&](CoefficientBlock* const* rows) -> int {
    for (int32_t column = 0; column < frame.mcus_across; ++column, ++mcu) {
      if (RestartDue(encoder.settings, mcu)) {
        for (int16_t& prediction : predictions) prediction = 0;
      }
      ForEachMcuBlock(frame, rows, column, [&](int k, const CoefficientBlock& block) {
        const int t = frame.components[k].table;
        CountBlockSymbols(block, predictions[k], dc[t], ac[t]);
      });
    }
    return JpegSuccess;
  });
}

void TransformImage(EncoderState& encoder, const KernelTable& kernels) {
  ForEachMcuRow(encoder, kernels, true, [](CoefficientBlock* const*) -> int { return JpegSuccess; });
}

}  // namespace halvora::jpeg
