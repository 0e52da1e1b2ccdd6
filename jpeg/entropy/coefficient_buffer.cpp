#include "jpeg/entropy/coefficient_buffer.h"

#include <cstdlib>
#include <limits>

#include "jpeg/interface/work_memory.h"
#include "jpeg/output/read_size.h"

namespace halvora::jpeg {

static_assert(sizeof(CoefficientBlock) == 64 * sizeof(int16_t));
// The masks after the blocks are aligned as the blocks are.
static_assert(sizeof(CoefficientBlock) % alignof(uint64_t) == 0);

CoefficientLayout LayoutOf(const PrivateState& state) {
  CoefficientLayout layout{};
  const JpegFrame& frame = state.markers.frame;
  int64_t planeStart = 0;
  for (int i = 0; i < frame.component_count && i < kMaxComponents; ++i) {
    const int h = frame.components[i].h, v = frame.components[i].v;
    layout.first_block[i] = layout.blocks_per_mcu;
    layout.blocks_per_mcu += h * v;
    layout.plane_start[i] = planeStart;
    layout.blocks_across[i] = state.output.mcus_across * h;
    layout.horizontal[i] = h;
    layout.vertical[i] = v;
    planeStart += int64_t{layout.blocks_across[i]} * state.output.mcus_down * v;
  }
  return layout;
}

int AllocateCoefficientBuffer(PrivateState& state) {
  const CoefficientLayout layout = LayoutOf(state);
  const int64_t blocks = int64_t{layout.blocks_per_mcu} * state.output.mcus_across * state.output.mcus_down;
  if (blocks <= 0) return JpegErrComp;
  // Frames reach 65535 x 65535 pixels: the byte count can exceed what a
  // size_t of a 32-bit build holds, and the read's budget long before that.
  constexpr size_t kBlockBytes = sizeof(CoefficientBlock) + sizeof(uint64_t);
  if (static_cast<uint64_t>(blocks) > std::numeric_limits<size_t>::max() / kBlockBytes) return JpegErrMemory;
  const int64_t bytes = blocks * int64_t{kBlockBytes};
  if (!WorkMemoryFits(state, bytes)) return JpegErrMemory;
  // calloc hands out untouched zero pages for large images.
  void* memory = std::calloc(static_cast<size_t>(blocks), kBlockBytes);
  if (memory == nullptr) return JpegErrMemory;
  auto* blockArray = static_cast<CoefficientBlock*>(memory);
  state.progression.coefficient_buffer = blockArray->values;
  state.progression.nonzero_positions = reinterpret_cast<uint64_t*>(blockArray + blocks);
  state.progression.coefficient_bytes = bytes;
  state.progression.components_coded = 0;
  state.progression.components_passed_over = 0;
  return JpegSuccess;
}

void ReleaseCoefficientBuffer(PrivateState& state) {
  std::free(state.progression.coefficient_buffer);
  state.progression.coefficient_buffer = nullptr;
  state.progression.nonzero_positions = nullptr;
  state.progression.coefficient_bytes = 0;
  state.progression.components_coded = 0;
  state.progression.components_passed_over = 0;
  state.progression.progressive_scans = 0;
}

bool CoefficientsServeRead(const PrivateState& state) {
  for (int c = 0; c < kMaxComponents; ++c) {
    if ((state.progression.components_passed_over >> c & 1u) != 0 && !ReadsDcTermsAlone(state, c)) return false;
  }
  return true;
}

}  // namespace halvora::jpeg
