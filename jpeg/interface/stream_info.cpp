#include "jpeg/interface/stream_info.h"

#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

StreamDescription DescribeStream(JPEG_PROPERTIES& record) {
  const PrivateState& state = Private(record);
  return StreamDescription{state.markers.sof_kind, state.markers.frame.restart_interval, state.markers.app0.seen != 0,
                           state.markers.app14.seen != 0, state.markers.app14.transform};
}

}  // namespace halvora::jpeg
