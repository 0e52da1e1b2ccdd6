// Where an MCU of the read lands in the caller's DIB.
#pragma once

#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

// Places MCU (column, row) of mcuWidth x mcuHeight output pixels in the DIB
// of the read, clipped to the scan's region: false, with `target` unchanged,
// when none of its pixels is written.
bool PlaceMcu(const PrivateState& state, int mcuWidth, int mcuHeight, int column, int row, McuTarget& target);

}  // namespace halvora::jpeg
