#include "jpeg/encoder/forward_transform.h"

namespace halvora::jpeg {

void TransformMcuRow(const FrameLayout& frame, const McuRowSamples& samples, const ForwardQuantTable* tables,
                     const KernelTable& kernels, CoefficientBlock* const* rows) {
  for (int k = 0; k < frame.component_count; ++k) {
    const EncodedComponent& component = frame.components[k];
    const ptrdiff_t stride = samples.strides[k];
    for (int32_t r = 0; r < component.v; ++r) {
      kernels.forward_dct(samples.planes[k] + 8 * r * stride, stride, component.blocks_across, tables[component.table],
                          rows[k] + static_cast<ptrdiff_t>(r) * component.blocks_across);
    }
  }
}

}  // namespace halvora::jpeg
