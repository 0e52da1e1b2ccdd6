// Processor identification and the per-record table of kernel routines.
#pragma once

#include <cstdint>
#include <memory>

#include "jpeg/kernels/color_pass.h"
#include "jpeg/kernels/component_output.h"
#include "jpeg/kernels/dib_convert.h"
#include "jpeg/kernels/encode_kernel_types.h"
#include "jpeg/kernels/kernel_types.h"
#include "platform/settings.h"

namespace halvora::jpeg {

struct ChromaNeighbourhood;
struct HuffmanDecodeTable;
struct JpegScan;
struct JpegStream;
struct McuPlane;

// Interpolating chroma upsampling of one block with its ring of neighbours
// into a plane (smooth_upsampling.h).
using SmoothUpsampleKernel = void (*)(const ChromaNeighbourhood& chroma, McuPlane& plane);

// What the identification instruction reports (one process-wide copy).
struct ProcessorInfo {
  int32_t brand_index;
  int32_t processor_type;
  int32_t family;  // base family only
  int32_t model;
  int32_t stepping;
  uint32_t feature_flags;  // leaf 1, EDX
  uint32_t feature_flags_ecx;   // leaf 1, ECX
  uint32_t extended_features;   // leaf 7 (sub-leaf 0), EBX
  bool ymm_state_saved;         // the system saves the YMM registers (XGETBV)
  char vendor[13];
};

inline constexpr uint32_t kFeatureMmx = 1u << 23;
inline constexpr uint32_t kFeatureSse = 1u << 25;
inline constexpr uint32_t kFeatureSse2 = 1u << 26;
inline constexpr uint32_t kFeatureOsxsave = 1u << 27;  // ECX
inline constexpr uint32_t kFeatureAvx = 1u << 28;      // ECX
inline constexpr uint32_t kFeatureAvx2 = 1u << 5;      // leaf 7, EBX
inline constexpr uint32_t kFeatureBmi2 = 1u << 8;      // leaf 7, EBX

// 0..6; selects the kernel set (0-2 plain, 3-6 packed).
using ProcessorKind = int32_t;
inline constexpr ProcessorKind kProcessorKindCount = 7;

// The kernel sets: the plain one is complete on its own; SSE2 replaces single
// entries of it, and AVX2 single entries of the SSE2 set. The packed kinds
// (3 to 6) take SSE2, and AVX2 where the processor and the system have it
// (and the "AVX2" setting is not 0).
enum class KernelSet { kPlain, kSse2, kAvx2 };

// Whether the processor has AVX2 and BMI2 and the system saves the AVX registers.
bool HasAvx2(const ProcessorInfo& info);
KernelSet KernelSetFor(ProcessorKind kind, bool avx2Allowed);

using DecodeBlockKernel = int (*)(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                                  int16_t& prediction, const int32_t* factors, CoefficientBlock& block);
using DecodeMcuKernel = int (*)(JpegStream& stream, JpegScan& scan, CoefficientBlock* blocks);

// One inverse DCT per output scale: 8x8, 4x4, 2x2, 1x1 samples per block.
inline constexpr int kTransformSizes = 4;
inline constexpr int kOutputPaths = 19;

// Kernel routines of one record, in the documented order of the decoder's
// roles (a set for each dct_method plus the active set a read works with),
// then the encoder's.
struct KernelTable {
  void (*leave_simd_state)();
  InverseDctKernel inverse_dct_method0[kTransformSizes];
  InverseDctKernel inverse_dct_method1[kTransformSizes];
  InverseDctKernel active_inverse_dct[kTransformSizes];
  McuOutputKernel output_mcu;  // chosen per image
  McuOutputKernel output_paths[kOutputPaths];
  McuOutputKernel grey_copy;       // one grey component into a one-channel DIB
  McuOutputKernel grey_to_colour;  // one grey component into a three- or four-channel DIB
  ConvertRowKernel convert_row;  // the per-component output's colour conversion of a row
  WholeMcuKernel whole_mcu[kWholeMcuLayouts];  // its whole-MCU forms (none in the plain set)
  WholeMcuKernel half_size_mcu[3];             // 4:2:0 at half size into RGB, BGR, RGBA
  SmoothUpsampleKernel upsample_smooth_2x1;
  SmoothUpsampleKernel upsample_smooth_2x2;
  // The interpolating output of whole 4:2:2 and 4:2:0 MCUs into RGB, BGR,
  // RGBA, in the order of WholeMcuLayoutOf (none in the plain set).
  SmoothMcuKernel smooth_mcu[kWholeMcuLayouts - kFirst422Layout];
  SmoothMcuKernel smooth_half_size_mcu[3];     // 4:2:2 at half size into RGB, BGR, RGBA
  SmoothMcuKernel smooth_quarter_size_mcu[3];  // and at quarter size
  DecodeBlockKernel decode_block_method0;  // decoding with the dequantisation of each method
  DecodeBlockKernel decode_block_method1;
  DecodeBlockKernel active_decode_block;
  DecodeMcuKernel decode_mcu_method0;  // every block of an MCU, as the block decoders decode each
  DecodeMcuKernel decode_mcu_method1;
  DecodeMcuKernel active_decode_mcu;
  DecodeMcuKernel decode_mcu_dc_method0;  // the DC terms alone of every block of an MCU
  DecodeMcuKernel decode_mcu_dc_method1;
  DecodeMcuKernel active_decode_mcu_dc;
  DecodeBlockKernel decode_dc_method0;  // the DC term alone, for one-sample blocks
  DecodeBlockKernel decode_dc_method1;
  DecodeBlockKernel active_decode_dc;
  DecodeBlockKernel skip_block;
  DequantizeKernel dequantize_method0;
  DequantizeKernel dequantize_method1;
  DequantizeKernel active_dequantize;
  // The encoder's: DIB lines into component samples (by DibConversion),
  // chroma downsampling, the forward DCT with quantisation, and the Huffman
  // coding of one block.
  DibConvertKernel dib_convert[kDibConversions];
  DownsampleKernel downsample_h2v1;
  DownsampleKernel downsample_h2v2;
  ForwardDctKernel forward_dct;
  EncodeBlockKernel encode_block;
};

// The process-wide description of the processor, identified on first use.
const ProcessorInfo& DetectProcessor();
// The kind from the identification, unless the "USECPU" setting names 0..6.
ProcessorKind DetermineProcessorKind(platform::CodecSettings* settings);
ProcessorKind KindFromProcessorInfo(const ProcessorInfo& info);
// Reads the settings, determines the kind and fills `table` with its set.
ProcessorKind BuildKernelTable(KernelTable& table);
void FillKernelTable(KernelTable& table, KernelSet set);
// Gives an initialised record the kernel set of `kind` in place of the one
// JpegInit chose (tools and tests that compare the sets).
void UseProcessorKind(KernelTable& table, ProcessorKind& recordKind, ProcessorKind kind);
// Makes the decoding, dequantisation and inverse-DCT entries of `dctMethod`
// active.
void ActivateDctMethod(KernelTable& table, int dctMethod);

}  // namespace halvora::jpeg
