// The per-component routine's view of the frame and the DIB, built from the
// record for the output of one MCU or one block.
#pragma once

#include "jpeg/interface/private_state.h"
#include "jpeg/kernels/component_output.h"

namespace halvora::jpeg {

// Whose blocks an MCU carries: the scan under way, in the scan's order (an
// interleaved sequential scan), or every frame component in frame order (the
// MCUs of a progressive image, and the blocks of single-component scans,
// which are addressed by their frame index).
enum class FormatComponents { kScan, kFrame };

// The format for the record's current frame, DIB and (for kScan) scan.
// `convert` is set when the data needs colour conversion and the MCU holds
// every frame component; single-component blocks are never converted by the
// block routine, whatever the flag. Components past the fourth reach no
// DIB byte and are left out.
ComponentOutputFormat MakeComponentOutputFormat(const PrivateState& state, FormatComponents which);

}  // namespace halvora::jpeg
