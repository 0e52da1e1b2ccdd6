#include "jpeg/kernels/kernel_table.h"
#include "jpeg/output/component_format.h"

#include <algorithm>

namespace halvora::jpeg {

namespace {

void AddComponent(ComponentOutputFormat& format, const JpegComponent& component) {
  format.horizontal[format.componentCount] = component.h;
  format.vertical[format.componentCount] = component.v;
  ++format.componentCount;
}

void AddFrameComponents(ComponentOutputFormat& format, const JpegFrame& frame) {
  if (frame.components == nullptr) return;
  const int count = std::min(frame.component_count, kMaxOutputComponents);
  for (int i = 0; i < count; ++i) AddComponent(format, frame.components[i]);
}

// False (with the format cut short) when the scan names a component the
// frame does not have.
bool AddScanComponents(ComponentOutputFormat& format, const JpegScan& scan, const JpegFrame& frame) {
  const int count = std::min(scan.ns, kMaxOutputComponents);
  for (int i = 0; i < count; ++i) {
    const int index = scan.components[i].frame_index;
    if (index < 0 || index >= frame.component_count || frame.components == nullptr) return false;
    AddComponent(format, frame.components[index]);
  }
  return true;
}

}  // namespace

ComponentOutputFormat MakeComponentOutputFormat(const PrivateState& state, FormatComponents which) {
  ComponentOutputFormat format{};
  format.jpegColor = state.read.work.jpeg_color;
  format.dibColor = state.read.work.dib_color;
  format.hmax = state.markers.frame.h_max;
  format.vmax = state.markers.frame.v_max;
  const JpegScan* scan = state.progression.scan;
  bool wholeFrame = true;
  if (which == FormatComponents::kScan && scan != nullptr && scan->components != nullptr) {
    wholeFrame =
        AddScanComponents(format, *scan, state.markers.frame) && scan->ns == state.markers.frame.component_count;
  } else {
    AddFrameComponents(format, state.markers.frame);
  }
  format.convert = wholeFrame && state.read.work.color_conversion_needed != 0 ? 1 : 0;
  format.convertRow = state.input.kernels->convert_row;
  const int wholeMcuLayout = WholeMcuLayoutOf(format);
  if (wholeMcuLayout >= 0) format.wholeMcu = state.input.kernels->whole_mcu[wholeMcuLayout];
  if (wholeMcuLayout >= kFirst422Layout) {
    format.smoothMcu = state.input.kernels->smooth_mcu[wholeMcuLayout - kFirst422Layout];
  }
  if (wholeMcuLayout >= kFirst422Layout && wholeMcuLayout < kFirst420Layout) {
    format.smoothHalfSizeMcu = state.input.kernels->smooth_half_size_mcu[wholeMcuLayout - kFirst422Layout];
    format.smoothQuarterSizeMcu = state.input.kernels->smooth_quarter_size_mcu[wholeMcuLayout - kFirst422Layout];
  }
  if (wholeMcuLayout >= kFirst420Layout) {
    format.halfSizeMcu = state.input.kernels->half_size_mcu[wholeMcuLayout - kFirst420Layout];
  }
  format.reducedMcu = WriteReducedMcuByRows;
  return format;
}

}  // namespace halvora::jpeg
