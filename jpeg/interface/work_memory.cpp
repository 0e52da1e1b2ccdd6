#include "jpeg/interface/work_memory.h"

namespace halvora::jpeg {

int64_t WorkMemoryLimit(const JpegState& caller) {
  const int32_t megabytes = caller.max_memory_mb > 0 ? caller.max_memory_mb : kDefaultWorkMemoryMb;
  return int64_t{megabytes} << 20;
}

bool WorkMemoryFits(const PrivateState& state, int64_t bytes, int64_t replaced) {
  const int64_t held = state.progression.coefficient_bytes + state.output.line_plane_bytes +
                       (state.region.index != nullptr ? int64_t{sizeof(RegionIndex)} : 0) - replaced;
  return bytes >= 0 && held + bytes <= state.read.memory_limit;
}

}  // namespace halvora::jpeg
