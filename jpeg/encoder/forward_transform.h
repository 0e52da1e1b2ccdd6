// The forward DCT with quantisation of an MCU row's samples, through the
// kernel table.
#pragma once

#include "jpeg/encoder/frame_layout.h"
#include "jpeg/encoder/sample_conversion.h"
#include "jpeg/kernels/kernel_table.h"

namespace halvora::jpeg {

// The quantised blocks of component k for one MCU row: its (v) block rows of
// blocks_across blocks, one after the other, from rows[k].
void TransformMcuRow(const FrameLayout& frame, const McuRowSamples& samples, const ForwardQuantTable* tables,
                     const KernelTable& kernels, CoefficientBlock* const* rows);

}  // namespace halvora::jpeg
