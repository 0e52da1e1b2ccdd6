#include "jpeg/progressive_output.h"

#include "jpeg/coefficient_buffer.h"
#include "jpeg/component_format.h"
#include "jpeg/dispatch.h"
#include "jpeg/kernels/clip_mcu.h"
#include "jpeg/output_scale.h"
#include "jpeg/quant_tables.h"
#include "jpeg/region_window.h"

namespace halvora::jpeg {

namespace {

// The size the image is written at (reduced reads: 8 / scale samples a block).
struct OutputSize {
  int scale;
  int block_size;
  bool simple_sampling;  // components of one block per MCU transformed one size larger
};

OutputSize OutputSizeOf(const PrivateState& state) {
  const int scale = OutputScale(state.io_type);
  return {scale, 8 / scale, scale > 1 && UsesSimpleSampling(state.frame)};
}

void WriteMcu(PrivateState& state, const CoefficientLayout& layout, const ComponentOutputFormat& format,
              const OutputSize& size, int column, int row) {
  McuBuffer& mcu = *state.mcu_buffer;
  const KernelTable& kernels = *state.stream.kernels;
  const JpegFrame& frame = state.frame;
  const int transform = TransformIndex(size.scale);
  for (int c = 0; c < frame.component_count; ++c) {
    const JpegComponent& component = frame.components[c];
    const int32_t* factors = QuantTableAt(state, component.tq).entries;
    const bool larger = size.simple_sampling && component.h * component.v == 1;
    const InverseDctKernel inverseDct = kernels.active_inverse_dct[larger ? transform - 1 : transform];
    for (int b = 0; b < component.h * component.v; ++b) {
      CoefficientBlock& block = mcu.blocks[layout.first_block[c] + b];
      block = CoefficientBlockAt(state, layout, column, row, c, b % component.h, b / component.h);
      kernels.active_dequantize(block, factors);
      inverseDct(block);
    }
  }
  const WorkingFields& work = state.work;
  McuTarget target{};
  if (ClipMcu(state.scan_region, size.block_size * frame.h_max, size.block_size * frame.v_max, column, row,
              work.dib_channels, work.dib_line_bytes, state.stream.top_line, work.dib_width, work.dib_height,
              &target) != 0) {
    return;
  }
  if (size.scale > 1) {
    OutputReducedMcu(mcu.blocks, layout.blocks_per_mcu, format, size.block_size, size.simple_sampling, target);
  } else {
    OutputMcuPerComponent(mcu.blocks, layout.blocks_per_mcu, format, target);
  }
}

}  // namespace

int ProgressiveOutputRefusal(const PrivateState& state) {
  const ComponentOutputFormat format = MakeComponentOutputFormat(state, FormatComponents::kFrame);
  return IsUsableComponentFormat(format) ? JpegSuccess : JpegErrNotSupported;
}

int OutputProgressiveImage(JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  if (state.progressive_scans == 0 || state.coefficient_buffer == nullptr) return JpegSuccess;
  const int refusal = ProgressiveOutputRefusal(state);
  if (refusal != JpegSuccess) return refusal;
  KernelTable& kernels = *state.stream.kernels;
  ActivateDctMethod(kernels, record.state.dct_method);
  MatchQuantTablesToMethod(state, record.state.dct_method);
  const ComponentOutputFormat format = MakeComponentOutputFormat(state, FormatComponents::kFrame);
  const CoefficientLayout layout = LayoutOf(state);
  const OutputSize size = OutputSizeOf(state);
  // Only the MCUs that meet the region are transformed.
  const UnitWindow window = WindowOf(state.scan_region, size.block_size * state.frame.h_max,
                                     size.block_size * state.frame.v_max, state.mcus_across, state.mcus_down, 0);
  for (int row = window.first_row; row < window.end_row; ++row) {
    for (int column = window.first_column; column < window.end_column; ++column) {
      WriteMcu(state, layout, format, size, column, row);
    }
  }
  kernels.leave_simd_state();
  return JpegSuccess;
}

}  // namespace halvora::jpeg
