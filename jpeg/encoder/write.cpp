// The writing side of the codec: JpegWrite and the writing I/O types.
#include <halvora/jpeg.h>

#include "jpeg/interface/private_state.h"
#include "jpeg/interface/validate.h"

using namespace halvora::jpeg;

extern "C" int JpegWrite(JPEG_PROPERTIES* record, int ioType) {
  if (record == nullptr || !IsInitialised(*record)) return JpegErrInvalidProperties;
  const int valid = ValidateProperties(*record, ioType, Direction::kWrite);
  // No stream can be written yet.
  return valid != JpegSuccess ? valid : JpegErrNotSupported;
}
