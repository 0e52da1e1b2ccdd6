// The 256-bit (AVX2) kernels. Each one fills the same role as the plain
// kernel it is named after and gives the same result, bit for bit, on every
// input, corrupt coefficients and stray sample bits included.
//
// They exist only where the build targets x86-64, which the build announces
// with HALVORA_JPEG_AVX2; the kernel table takes them only where the
// processor has AVX2 and the system saves its registers. Their files are the
// only ones built for AVX2, so they call nothing but their own functions, the
// instruction intrinsics, the templates of lane_constants_avx2.h (which they
// alone include) and (out of line) the plain routines: an inline function of
// a shared header built here could stand in for every other file's copy of it
// at link time, and bring AVX2 code to any processor.
#pragma once

#include "jpeg/kernels/kernel_types.h"

#if defined(HALVORA_JPEG_AVX2)

namespace halvora::jpeg {

// Method 1 dequantisation: low 16 bits of each product (twin of
// DequantizeBlockMethod1Plain). Block and table need no particular alignment.
void DequantizeBlockMethod1Avx2(const CoefficientBlock& coefficients, const int32_t* entries, CoefficientBlock& block);

// Full-size inverse DCTs (twins of InverseDct8x8Method1Plain and
// InverseDct8x8Method0Plain), with the same 32-bit wrapping intermediates.
void InverseDct8x8Method1Avx2(CoefficientBlock& block);
void InverseDct8x8Method0Avx2(CoefficientBlock& block);
// The half-size inverse DCT of method 1 (twin of InverseDct4x4Method1Plain).
void InverseDct4x4Method1Avx2(CoefficientBlock& block);
// The quarter-size inverse DCT of method 1 (twin of InverseDct2x2Method1Plain).
void InverseDct2x2Method1Avx2(CoefficientBlock& block);

// Fused YCbCr -> colour output (twins of the OutputMcu...Plain routines of the
// same name). A whole, unclipped MCU is converted here; a clipped MCU, or a
// target these kernels do not lay out themselves (rows that overlap, a pixel
// size other than the routine's), is handed to the plain routine.
void OutputMcu444RgbAvx2(const McuBuffer& mcu, const McuTarget& target);   // path 1
void OutputMcu444BgrAvx2(const McuBuffer& mcu, const McuTarget& target);   // path 2
void OutputMcu420RgbAvx2(const McuBuffer& mcu, const McuTarget& target);   // path 3
void OutputMcu420BgrAvx2(const McuBuffer& mcu, const McuTarget& target);   // path 4
void OutputMcu422RgbAvx2(const McuBuffer& mcu, const McuTarget& target);   // path 5
void OutputMcu422BgrAvx2(const McuBuffer& mcu, const McuTarget& target);   // path 6
void OutputMcu444RgbaAvx2(const McuBuffer& mcu, const McuTarget& target);  // path 7
void OutputMcu420RgbaAvx2(const McuBuffer& mcu, const McuTarget& target);  // path 8
void OutputMcu422RgbaAvx2(const McuBuffer& mcu, const McuTarget& target);  // path 9

// The per-component routine for a whole interleaved MCU of three YCbCr
// components into RGB, BGR or RGBA pixels (the blocks as OutputMcuPerComponent
// takes them), in one step: the same pixels as its planes and its colour
// conversion give. False, with nothing written, for an MCU that is not
// wholly visible or a target the fused routines would hand to the plain loop.
bool WriteGenericMcu444RgbAvx2(const CoefficientBlock* blocks, const McuTarget& target);
bool WriteGenericMcu444BgrAvx2(const CoefficientBlock* blocks, const McuTarget& target);
bool WriteGenericMcu444RgbaAvx2(const CoefficientBlock* blocks, const McuTarget& target);
bool WriteGenericMcu422RgbAvx2(const CoefficientBlock* blocks, const McuTarget& target);
bool WriteGenericMcu422BgrAvx2(const CoefficientBlock* blocks, const McuTarget& target);
bool WriteGenericMcu422RgbaAvx2(const CoefficientBlock* blocks, const McuTarget& target);
bool WriteGenericMcu420RgbAvx2(const CoefficientBlock* blocks, const McuTarget& target);
bool WriteGenericMcu420BgrAvx2(const CoefficientBlock* blocks, const McuTarget& target);
bool WriteGenericMcu420RgbaAvx2(const CoefficientBlock* blocks, const McuTarget& target);

// The per-component routine for a whole 4:2:0 MCU of a half-size read (8x8
// pixels: four luminance blocks of 4x4 samples, the chroma read one size
// larger), likewise.
bool WriteHalfSizeGenericMcu420RgbAvx2(const CoefficientBlock* blocks, const McuTarget& target);
bool WriteHalfSizeGenericMcu420BgrAvx2(const CoefficientBlock* blocks, const McuTarget& target);
bool WriteHalfSizeGenericMcu420RgbaAvx2(const CoefficientBlock* blocks, const McuTarget& target);

// The interpolating per-component routine for a whole 4:2:2 or 4:2:0 MCU at
// full size, likewise: the same pixels as its gathered neighbourhoods, its
// upsampling filters, its planes and its colour conversion give. False, with
// nothing written, also where a neighbour it reads is missing (an MCU at an
// image edge). The caller makes sure the MCU lies wholly inside the image,
// where no partial-MCU repetition applies.
bool WriteSmoothGenericMcu422RgbAvx2(const McuNeighbourhood& around, const McuTarget& target);
bool WriteSmoothGenericMcu422BgrAvx2(const McuNeighbourhood& around, const McuTarget& target);
bool WriteSmoothGenericMcu422RgbaAvx2(const McuNeighbourhood& around, const McuTarget& target);
bool WriteSmoothGenericMcu420RgbAvx2(const McuNeighbourhood& around, const McuTarget& target);
bool WriteSmoothGenericMcu420BgrAvx2(const McuNeighbourhood& around, const McuTarget& target);
bool WriteSmoothGenericMcu420RgbaAvx2(const McuNeighbourhood& around, const McuTarget& target);
// The same for a whole 4:2:2 MCU of a half-size read (8x4 pixels: blocks of
// 4x4 samples) and of a quarter-size one (4x2 pixels: 2x2 samples).
bool WriteSmoothHalfSizeMcu422RgbAvx2(const McuNeighbourhood& around, const McuTarget& target);
bool WriteSmoothHalfSizeMcu422BgrAvx2(const McuNeighbourhood& around, const McuTarget& target);
bool WriteSmoothHalfSizeMcu422RgbaAvx2(const McuNeighbourhood& around, const McuTarget& target);
bool WriteSmoothQuarterSizeMcu422RgbAvx2(const McuNeighbourhood& around, const McuTarget& target);
bool WriteSmoothQuarterSizeMcu422BgrAvx2(const McuNeighbourhood& around, const McuTarget& target);
bool WriteSmoothQuarterSizeMcu422RgbaAvx2(const McuNeighbourhood& around, const McuTarget& target);

// One 8x8 grey block into a one-channel DIB (twin of CopyMcuGreyPlain), with
// the same hand-over to the plain routine as the colour output.
void CopyMcuGreyAvx2(const McuBuffer& mcu, const McuTarget& target);
// One 8x8 grey block into a three- or four-channel DIB (twin of
// CopyMcuGreyToColourPlain), likewise.
void CopyMcuGreyToColourAvx2(const McuBuffer& mcu, const McuTarget& target);

// The per-component output's colour conversion of a row (twin of
// ConvertMcuRow): three-byte RGB and BGR pixels eight at a time; other
// pixels, and the last few of a row, go to the plain conversion.
void ConvertMcuRowAvx2(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int count, uint8_t* pixels,
                       int channels, int dibColor, int jpegColor);

}  // namespace halvora::jpeg

#endif  // HALVORA_JPEG_AVX2
