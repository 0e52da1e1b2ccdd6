// Marker values a parameter read leaves in the record that the public fields
// do not carry, for the codec's own tools.
#pragma once

#include <halvora/jpeg.h>

namespace halvora::jpeg {

struct StreamDescription {
  int sof_kind;          // 0, 1 or 2 (SOF0..SOF2); -1 when no frame was read
  int restart_interval;  // MCUs; 0 = none
  bool jfif;             // a JFIF APP0 segment was seen
  bool adobe;            // an Adobe APP14 segment was seen
  int adobe_transform;
};

// Of a record after a successful read.
StreamDescription DescribeStream(JPEG_PROPERTIES& record);

}  // namespace halvora::jpeg
