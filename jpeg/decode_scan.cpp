#include "jpeg/decode_scan.h"

namespace halvora::jpeg {

// The entropy decoder is not part of the codec yet: image reads stop at their
// first scan with "Not supported".
int DecodeScan(int& marker, JpegStream&, JpegScan&, JPEG_PROPERTIES&) {
  marker = 0;
  return JpegErrNotSupported;
}

}  // namespace halvora::jpeg
