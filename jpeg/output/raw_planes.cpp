#include "jpeg/output/raw_planes.h"

#include <cstddef>

namespace halvora::jpeg {

int16_t* const* RawPlaneList(const PrivateState& state) { return state.output.raw_plane_list; }

void WriteRawBlock(const PrivateState& state, const CoefficientBlock& block, int component, int blockColumn,
                   int blockRow, int blockSize) {
  int16_t* const* list = RawPlaneList(state);
  const JpegFrame& frame = state.markers.frame;
  if (list == nullptr || component < 0 || component >= frame.component_count) return;
  int16_t* plane = list[component + 1];
  if (plane == nullptr) return;
  // Pointer-wide: a plane of a large image holds more samples than an int counts.
  const ptrdiff_t width = ptrdiff_t{state.output.mcus_across} * frame.components[component].h * blockSize;
  int16_t* corner = plane + ptrdiff_t{blockRow} * blockSize * width + ptrdiff_t{blockColumn} * blockSize;
  for (int row = 0; row < blockSize; ++row) {
    for (int column = 0; column < blockSize; ++column) corner[row * width + column] = block.values[8 * row + column];
  }
}

void WriteRawScanMcu(const PrivateState& state, const CoefficientBlock* blocks, int blockCount, int column, int row,
                     int blockSize) {
  const JpegScan& scan = *state.progression.scan;
  // A scan of one component codes one block per MCU, at the component's own
  // block position.
  if (scan.ns == 1) {
    if (blockCount > 0) WriteRawBlock(state, blocks[0], scan.components[0].frame_index, column, row, blockSize);
    return;
  }
  int next = 0;
  for (int i = 0; i < scan.ns; ++i) {
    const ScanComponent& component = scan.components[i];
    for (int by = 0; by < component.v; ++by) {
      for (int bx = 0; bx < component.h && next < blockCount; ++bx, ++next) {
        WriteRawBlock(state, blocks[next], component.frame_index, column * component.h + bx,
                      row * component.v + by, blockSize);
      }
    }
  }
}

}  // namespace halvora::jpeg
