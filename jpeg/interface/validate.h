// The checks of the public fields that open every JpegRead and JpegWrite.
#pragma once

#include <halvora/jpeg.h>

namespace halvora::jpeg {

enum class Direction { kRead, kWrite };

// 0, or the code of the first rule the record breaks for `ioType`. The
// waiver of use_state_as_is holds for reads only.
int ValidateProperties(const JPEG_PROPERTIES& record, int ioType, Direction direction);

}  // namespace halvora::jpeg
