// The read driver: the marker loop over the stream, frame and scan headers.
#pragma once

#include <halvora/jpeg.h>

namespace halvora::jpeg {

// Runs one read of the record's I/O type: 0 (done, or stopped where the type
// asks), 1 (interrupted), 2 (region complete) or a negative code.
int DecodeStream(JPEG_PROPERTIES& record);

// Releases the current scan and its components.
void ReleaseScan(JPEG_PROPERTIES& record);

}  // namespace halvora::jpeg
