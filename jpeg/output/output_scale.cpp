#include "jpeg/output/output_scale.h"

#include "jpeg/interface/io_types.h"

namespace halvora::jpeg {

int OutputScale(int ioType) {
  if (IsOneOf(ioType, {FileReadHalf, BufferReadHalf})) return 2;
  if (IsOneOf(ioType, {FileReadQuarter, BufferReadQuarter})) return 4;
  if (IsOneOf(ioType, {FileReadEighth, BufferReadEighth})) return 8;
  return 1;
}

int TransformIndex(int scale) {
  switch (scale) {
    case 2:
      return 1;
    case 4:
      return 2;
    case 8:
      return 3;
    default:
      return 0;
  }
}

bool UsesSimpleSampling(const JpegFrame& frame) {
  if (frame.h_max != 2 || frame.components == nullptr) return false;
  for (int i = 0; i < frame.component_count; ++i) {
    const JpegComponent& component = frame.components[i];
    if (component.h != component.v || component.h < 1 || component.h > 2) return false;
  }
  return true;
}

int ScaledSize(int size, int scale) { return scale > 0 ? (size + scale - 1) / scale : size; }

}  // namespace halvora::jpeg
