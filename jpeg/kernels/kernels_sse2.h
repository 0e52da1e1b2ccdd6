// The packed-arithmetic (SSE2, 128-bit) kernels. Each one fills the same role
// as the plain kernel it is named after and gives the same result, bit for
// bit, on every input, corrupt coefficients and stray sample bits included.
//
// They exist only where the build targets x86 or x86-64 (SSE2 is part of
// x86-64), which the build announces with HALVORA_JPEG_SSE2; elsewhere the
// plain kernels are the only ones.
#pragma once

#include "jpeg/kernels/kernel_types.h"

#if defined(HALVORA_JPEG_SSE2)

namespace halvora::jpeg {

// Method 1 dequantisation: low 16 bits of each product (twin of
// DequantizeBlockMethod1Plain). Block and table need no particular alignment.
void DequantizeBlockMethod1Sse2(const CoefficientBlock& coefficients, const int32_t* entries, CoefficientBlock& block);

// Full-size inverse DCTs (twins of InverseDct8x8Method1Plain and
// InverseDct8x8Method0Plain), with the same 32-bit wrapping intermediates.
void InverseDct8x8Method1Sse2(CoefficientBlock& block);
void InverseDct8x8Method0Sse2(CoefficientBlock& block);

// Fused YCbCr -> colour output (twins of the OutputMcu...Plain routines of the
// same name). A whole, unclipped MCU is converted here; a clipped MCU, or a
// target these kernels do not lay out themselves (rows that overlap, a pixel
// size other than the routine's), is handed to the plain routine.
void OutputMcu444RgbSse2(const McuBuffer& mcu, const McuTarget& target);   // path 1
void OutputMcu444BgrSse2(const McuBuffer& mcu, const McuTarget& target);   // path 2
void OutputMcu420RgbSse2(const McuBuffer& mcu, const McuTarget& target);   // path 3
void OutputMcu420BgrSse2(const McuBuffer& mcu, const McuTarget& target);   // path 4
void OutputMcu422RgbSse2(const McuBuffer& mcu, const McuTarget& target);   // path 5
void OutputMcu422BgrSse2(const McuBuffer& mcu, const McuTarget& target);   // path 6
void OutputMcu444RgbaSse2(const McuBuffer& mcu, const McuTarget& target);  // path 7
void OutputMcu420RgbaSse2(const McuBuffer& mcu, const McuTarget& target);  // path 8
void OutputMcu422RgbaSse2(const McuBuffer& mcu, const McuTarget& target);  // path 9

}  // namespace halvora::jpeg

#endif  // HALVORA_JPEG_SSE2
