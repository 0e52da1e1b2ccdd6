// Decoding of a sequential scan, MCU by MCU, straight into the DIB.
#pragma once

#include "jpeg/jpeg.h"
#include "jpeg/jpeg_state.h"

namespace halvora::jpeg {

// Decodes the scan from its resume position: 0 when its last MCU is written,
// 1 when `interrupt_request` stopped it after one MCU (the resume position is
// then the next MCU and `region` names the MCU just written, in MCU units),
// or a negative code.
int DecodeSequentialScan(JpegStream& stream, JpegScan& scan, JPEG_PROPERTIES& record);

}  // namespace halvora::jpeg
