#include "jpeg/output/context_planes.h"

namespace halvora::jpeg {

int ContextBlocksPerMcu(const JpegFrame& frame) {
  int blocks = 0;
  for (int i = 0; i < frame.component_count; ++i) blocks += frame.components[i].h * frame.components[i].v;
  return blocks;
}

int64_t ContextPlaneBytes(const JpegFrame& frame, int mcusAcross) {
  if (frame.components == nullptr || mcusAcross < 1) return 0;
  return int64_t{kContextRows} * mcusAcross * ContextBlocksPerMcu(frame) * int64_t{sizeof(CoefficientBlock)};
}

bool HasContextPlanes(const PrivateState& state) {
  const int64_t needed = ContextPlaneBytes(state.frame, state.mcus_across);
  return state.line_planes != nullptr && needed > 0 && state.line_plane_bytes >= needed;
}

CoefficientBlock* StoredMcu(PrivateState& state, int column, int row) {
  const int blocks = ContextBlocksPerMcu(state.frame);
  const int64_t index = (int64_t{row % kContextRows} * state.mcus_across + column) * blocks;
  return reinterpret_cast<CoefficientBlock*>(state.line_planes) + index;
}

}  // namespace halvora::jpeg
