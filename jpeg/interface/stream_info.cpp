#include "jpeg/interface/stream_info.h"

#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

StreamDescription DescribeStream(JPEG_PROPERTIES& record) {
  const PrivateState& state = Private(record);
  return StreamDescription{state.sof_kind, state.frame.restart_interval, state.app0.seen != 0,
                           state.app14.seen != 0, state.app14.transform};
}

}  // namespace halvora::jpeg
