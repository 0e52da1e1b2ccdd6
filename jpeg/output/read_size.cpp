#include "jpeg/output/read_size.h"

#include "jpeg/interface/io_types.h"
#include "jpeg/kernels/clip_mcu.h"
#include "jpeg/output/raw_planes.h"

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

ReadSize ReadSizeOf(const PrivateState& state, bool rawPlanes) {
  const int scale = OutputScale(state.read.io_type);
  return {scale, 8 / scale, !rawPlanes && scale > 1 && UsesSimpleSampling(state.markers.frame)};
}

int ComponentTransformIndex(const ReadSize& size, const JpegComponent& component) {
  const int index = TransformIndex(size.scale);
  return size.simple_sampling && component.h * component.v == 1 ? index - 1 : index;
}

bool ReadsDcTermsAlone(const PrivateState& state, int component) {
  const JpegFrame& frame = state.markers.frame;
  if (component < 0 || component >= frame.component_count || frame.components == nullptr) return false;
  const ReadSize size = ReadSizeOf(state, RawPlaneList(state) != nullptr);
  return ComponentTransformIndex(size, frame.components[component]) == kOneSampleTransform;
}

bool PlaceMcu(const PrivateState& state, int mcuWidth, int mcuHeight, int column, int row, McuTarget& target) {
  const WorkingFields& work = state.read.work;
  McuTarget placed{};
  if (ClipMcu(state.region.scan_region, mcuWidth, mcuHeight, column, row, work.dib_channels, work.dib_line_bytes,
              state.input.top_line, work.dib_width, work.dib_height, &placed) != 0) {
    return false;
  }
  // An MCU past the DIB's right or bottom edge (a DIB smaller than the image)
  // gets an inverted rectangle: it has nothing to write.
  const PixelRect& visible = placed.visible;
  if (visible.left >= visible.right || visible.top >= visible.bottom) return false;
  target = placed;
  return true;
}

}  // namespace halvora::jpeg
