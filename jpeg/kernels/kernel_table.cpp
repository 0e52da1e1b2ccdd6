#include "jpeg/kernels/kernel_table.h"

#include <cstring>
#include <iterator>

#include "jpeg/entropy/block_decoder.h"
#include "jpeg/kernels/color_output.h"
#include "jpeg/kernels/fdct.h"
#include "jpeg/kernels/huffman_encode.h"
#include "jpeg/kernels/idct.h"
#include "jpeg/kernels/kernels_avx2.h"
#include "jpeg/kernels/kernels_sse2.h"
#include "jpeg/kernels/quant.h"
#include "jpeg/kernels/smooth_upsampling.h"

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#include <cpuid.h>
#define HALVORA_HAS_CPUID 1
#endif

namespace halvora::jpeg {

namespace {

ProcessorInfo ClearedProcessorInfo() {
  ProcessorInfo info{};
  std::memset(info.vendor, ' ', 12);
  info.vendor[12] = '\0';
  return info;
}

#ifdef HALVORA_HAS_CPUID
void ReadIdentification(ProcessorInfo& info) {
  unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(0, &eax, &ebx, &ecx, &edx) == 0) return;
  std::memcpy(info.vendor + 0, &ebx, 4);
  std::memcpy(info.vendor + 4, &edx, 4);
  std::memcpy(info.vendor + 8, &ecx, 4);
  if (eax == 0) return;
  const unsigned int highestLeaf = eax;
  __get_cpuid(1, &eax, &ebx, &ecx, &edx);
  info.brand_index = static_cast<int32_t>(ebx & 0xFF);
  info.processor_type = static_cast<int32_t>((eax >> 12) & 0x3);
  info.family = static_cast<int32_t>((eax >> 8) & 0xF);
  info.model = static_cast<int32_t>((eax >> 4) & 0xF);
  info.stepping = static_cast<int32_t>(eax & 0xF);
  info.feature_flags = edx;
  info.feature_flags_ecx = ecx;
  if (highestLeaf >= 7) {
    __cpuid_count(7, 0, eax, ebx, ecx, edx);
    info.extended_features = ebx;
  }
  // The YMM registers are usable only when the system saves them across
  // thread switches: bits 1 (SSE) and 2 (AVX) of extended control register 0.
  if ((info.feature_flags_ecx & kFeatureOsxsave) != 0) {
    unsigned int low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    info.ymm_state_saved = (low & 6u) == 6u;
  }
}
#else
// Without the identification instruction the record stays cleared: kind 0.
void ReadIdentification(ProcessorInfo&) {}
#endif

void LeavePlainState() {}

// The output routines by output path number (path k at index k - 1).
constexpr McuOutputKernel kPlainOutputPaths[kOutputPaths] = {
    OutputMcu444RgbPlain,  OutputMcu444BgrPlain,  OutputMcu420RgbPlain,  OutputMcu420BgrPlain,
    OutputMcu422RgbPlain,  OutputMcu422BgrPlain,  OutputMcu444RgbaPlain, OutputMcu420RgbaPlain,
    OutputMcu422RgbaPlain, OutputMcu444YcckPlain, OutputMcu420YcckPlain, OutputMcu422YcckPlain,
    CopyMcu444AlphaPlain,  CopyMcu4444Plain,      CopyMcu444Plain,       CopyMcu420Plain,
    CopyMcu422Plain,       nullptr,               OutputMcuPackedYcc422Plain};

void FillPlainSet(KernelTable& table) {
  table.leave_simd_state = LeavePlainState;
  table.inverse_dct_method0[0] = InverseDct8x8Method0Plain;
  table.inverse_dct_method0[1] = InverseDct4x4Method0Plain;
  table.inverse_dct_method0[2] = InverseDct2x2Method0Plain;
  table.inverse_dct_method0[3] = InverseDct1x1Method0Plain;
  table.inverse_dct_method1[0] = InverseDct8x8Method1Plain;
  table.inverse_dct_method1[1] = InverseDct4x4Method1Plain;
  table.inverse_dct_method1[2] = InverseDct2x2Method1Plain;
  table.inverse_dct_method1[3] = InverseDct1x1Method1Plain;
  table.dequantize_method0 = DequantizeBlockMethod0Plain;
  table.dequantize_method1 = DequantizeBlockMethod1Plain;
  for (int i = 0; i < kOutputPaths; ++i) table.output_paths[i] = kPlainOutputPaths[i];
  table.grey_copy = CopyMcuGreyPlain;
  table.grey_to_colour = CopyMcuGreyToColourPlain;
  table.convert_row = ConvertMcuRow;
  for (WholeMcuKernel& kernel : table.whole_mcu) kernel = nullptr;
  for (WholeMcuKernel& kernel : table.half_size_mcu) kernel = nullptr;
  table.upsample_smooth_2x1 = UpsampleSmooth2x1;
  table.upsample_smooth_2x2 = UpsampleSmooth2x2;
  for (SmoothMcuKernel& kernel : table.smooth_mcu) kernel = nullptr;
  for (SmoothMcuKernel& kernel : table.smooth_half_size_mcu) kernel = nullptr;
  for (SmoothMcuKernel& kernel : table.smooth_quarter_size_mcu) kernel = nullptr;
  table.decode_block_method0 = DecodeBlockMethod0;
  table.decode_block_method1 = DecodeBlockMethod1;
  table.decode_mcu_method0 = DecodeMcuMethod0;
  table.decode_mcu_method1 = DecodeMcuMethod1;
  table.decode_mcu_dc_method0 = DecodeMcuDcTermsMethod0;
  table.decode_mcu_dc_method1 = DecodeMcuDcTermsMethod1;
  table.decode_dc_method0 = DecodeDcTermMethod0;
  table.decode_dc_method1 = DecodeDcTermMethod1;
  table.skip_block = SkipBlockPlain;
  table.dib_convert[static_cast<int>(DibConversion::kBgrToYcc)] = ConvertBgrToYccPlain;
  table.dib_convert[static_cast<int>(DibConversion::kRgbToYcc)] = ConvertRgbToYccPlain;
  table.dib_convert[static_cast<int>(DibConversion::kRgbxToYcc)] = ConvertRgbxToYccPlain;
  table.dib_convert[static_cast<int>(DibConversion::kRgbaToYcck)] = ConvertRgbaToYcckPlain;
  table.dib_convert[static_cast<int>(DibConversion::kBgrToGrey)] = ConvertBgrToGreyPlain;
  table.dib_convert[static_cast<int>(DibConversion::kRgbToGrey)] = ConvertRgbToGreyPlain;
  table.downsample_h2v1 = DownsampleH2V1Plain;
  table.downsample_h2v2 = DownsampleH2V2Plain;
  table.forward_dct = ForwardDctPlain;
  table.encode_block = EncodeBlockPlain;
  // The active entries start as the method-0 set; each scan activates the
  // set of the record's dct_method.
  ActivateDctMethod(table, 0);
}

// The packed forms replace single plain entries; each equals its plain twin.
// Every processor that runs x86-64 code has SSE2, so all the packed kinds
// (3 to 6) take the SSE2 forms.
void FillPackedSet(KernelTable& table) {
#if defined(HALVORA_JPEG_SSE2)
  constexpr McuOutputKernel kPackedOutputPaths[] = {
      OutputMcu444RgbSse2,  OutputMcu444BgrSse2,  OutputMcu420RgbSse2,
      OutputMcu420BgrSse2,  OutputMcu422RgbSse2,  OutputMcu422BgrSse2,
      OutputMcu444RgbaSse2, OutputMcu420RgbaSse2, OutputMcu422RgbaSse2};
  table.inverse_dct_method0[0] = InverseDct8x8Method0Sse2;
  table.inverse_dct_method1[0] = InverseDct8x8Method1Sse2;
  table.dequantize_method1 = DequantizeBlockMethod1Sse2;
  for (size_t i = 0; i < std::size(kPackedOutputPaths); ++i) table.output_paths[i] = kPackedOutputPaths[i];
  ActivateDctMethod(table, 0);
  table.dib_convert[static_cast<int>(DibConversion::kBgrToYcc)] = ConvertBgrToYccSse2;
  table.dib_convert[static_cast<int>(DibConversion::kRgbToYcc)] = ConvertRgbToYccSse2;
  table.dib_convert[static_cast<int>(DibConversion::kRgbxToYcc)] = ConvertRgbxToYccSse2;
  table.dib_convert[static_cast<int>(DibConversion::kRgbaToYcck)] = ConvertRgbaToYcckSse2;
  table.dib_convert[static_cast<int>(DibConversion::kBgrToGrey)] = ConvertBgrToGreySse2;
  table.dib_convert[static_cast<int>(DibConversion::kRgbToGrey)] = ConvertRgbToGreySse2;
  table.downsample_h2v1 = DownsampleH2V1Sse2;
  table.downsample_h2v2 = DownsampleH2V2Sse2;
  table.forward_dct = ForwardDctSse2;
  table.encode_block = EncodeBlockSse2;
  table.upsample_smooth_2x1 = UpsampleSmooth2x1Sse2;
  table.upsample_smooth_2x2 = UpsampleSmooth2x2Sse2;
#else
  static_cast<void>(table);
#endif
}

// The AVX2 forms replace single entries of the SSE2 set; each equals its
// plain twin. Where the build has none, the SSE2 set stands.
void FillAvx2Set(KernelTable& table) {
#if defined(HALVORA_JPEG_AVX2)
  constexpr McuOutputKernel kAvx2OutputPaths[] = {
      OutputMcu444RgbAvx2,  OutputMcu444BgrAvx2,  OutputMcu420RgbAvx2,
      OutputMcu420BgrAvx2,  OutputMcu422RgbAvx2,  OutputMcu422BgrAvx2,
      OutputMcu444RgbaAvx2, OutputMcu420RgbaAvx2, OutputMcu422RgbaAvx2};
  table.inverse_dct_method0[0] = InverseDct8x8Method0Avx2;
  table.inverse_dct_method1[0] = InverseDct8x8Method1Avx2;
  table.inverse_dct_method1[1] = InverseDct4x4Method1Avx2;
  table.inverse_dct_method1[2] = InverseDct2x2Method1Avx2;
  table.dequantize_method1 = DequantizeBlockMethod1Avx2;
  for (size_t i = 0; i < std::size(kAvx2OutputPaths); ++i) table.output_paths[i] = kAvx2OutputPaths[i];
  table.grey_copy = CopyMcuGreyAvx2;
  table.grey_to_colour = CopyMcuGreyToColourAvx2;
  table.convert_row = ConvertMcuRowAvx2;
#if defined(HALVORA_BLOCK_DECODER_BMI2)
  table.decode_block_method0 = DecodeBlockMethod0Bmi2;
  table.decode_block_method1 = DecodeBlockMethod1Bmi2;
  table.decode_mcu_method0 = DecodeMcuMethod0Bmi2;
  table.decode_mcu_method1 = DecodeMcuMethod1Bmi2;
  table.decode_mcu_dc_method0 = DecodeMcuDcTermsMethod0Bmi2;
  table.decode_mcu_dc_method1 = DecodeMcuDcTermsMethod1Bmi2;
  table.decode_dc_method0 = DecodeDcTermMethod0Bmi2;
  table.decode_dc_method1 = DecodeDcTermMethod1Bmi2;
#endif
  // In the order of WholeMcuLayoutOf.
  constexpr WholeMcuKernel kAvx2WholeMcu[] = {
      WriteGenericMcu444RgbAvx2, WriteGenericMcu444BgrAvx2, WriteGenericMcu444RgbaAvx2,
      WriteGenericMcu422RgbAvx2, WriteGenericMcu422BgrAvx2, WriteGenericMcu422RgbaAvx2,
      WriteGenericMcu420RgbAvx2, WriteGenericMcu420BgrAvx2, WriteGenericMcu420RgbaAvx2};
  static_assert(std::size(kAvx2WholeMcu) == kWholeMcuLayouts);
  for (int i = 0; i < kWholeMcuLayouts; ++i) table.whole_mcu[i] = kAvx2WholeMcu[i];
  table.half_size_mcu[0] = WriteHalfSizeGenericMcu420RgbAvx2;
  table.half_size_mcu[1] = WriteHalfSizeGenericMcu420BgrAvx2;
  table.half_size_mcu[2] = WriteHalfSizeGenericMcu420RgbaAvx2;
  constexpr SmoothMcuKernel kAvx2SmoothMcu[] = {WriteSmoothGenericMcu422RgbAvx2,  WriteSmoothGenericMcu422BgrAvx2,
                                                WriteSmoothGenericMcu422RgbaAvx2, WriteSmoothGenericMcu420RgbAvx2,
                                                WriteSmoothGenericMcu420BgrAvx2,  WriteSmoothGenericMcu420RgbaAvx2};
  static_assert(std::size(kAvx2SmoothMcu) == kWholeMcuLayouts - kFirst422Layout);
  for (size_t i = 0; i < std::size(kAvx2SmoothMcu); ++i) table.smooth_mcu[i] = kAvx2SmoothMcu[i];
  table.smooth_half_size_mcu[0] = WriteSmoothHalfSizeMcu422RgbAvx2;
  table.smooth_half_size_mcu[1] = WriteSmoothHalfSizeMcu422BgrAvx2;
  table.smooth_half_size_mcu[2] = WriteSmoothHalfSizeMcu422RgbaAvx2;
  table.smooth_quarter_size_mcu[0] = WriteSmoothQuarterSizeMcu422RgbAvx2;
  table.smooth_quarter_size_mcu[1] = WriteSmoothQuarterSizeMcu422BgrAvx2;
  table.smooth_quarter_size_mcu[2] = WriteSmoothQuarterSizeMcu422RgbaAvx2;
  table.dib_convert[static_cast<int>(DibConversion::kBgrToYcc)] = ConvertBgrToYccAvx2;
  table.dib_convert[static_cast<int>(DibConversion::kRgbToYcc)] = ConvertRgbToYccAvx2;
  table.dib_convert[static_cast<int>(DibConversion::kRgbxToYcc)] = ConvertRgbxToYccAvx2;
  table.dib_convert[static_cast<int>(DibConversion::kRgbaToYcck)] = ConvertRgbaToYcckAvx2;
  table.downsample_h2v1 = DownsampleH2V1Avx2;
  table.downsample_h2v2 = DownsampleH2V2Avx2;
  table.forward_dct = ForwardDctAvx2;
  ActivateDctMethod(table, 0);
#else
  static_cast<void>(table);
#endif
}

bool IsPackedKind(ProcessorKind kind) { return kind >= 3; }

}  // namespace

const ProcessorInfo& DetectProcessor() {
  // Identified once: every identification gives the same values, and records
  // initialised on several threads at once then share the result safely.
  static const ProcessorInfo info = [] {
    ProcessorInfo identified = ClearedProcessorInfo();
    ReadIdentification(identified);
    return identified;
  }();
  return info;
}

ProcessorKind KindFromProcessorInfo(const ProcessorInfo& info) {
  const bool mmx = (info.feature_flags & kFeatureMmx) != 0;
  const bool sse = (info.feature_flags & kFeatureSse) != 0;
  const bool sse2 = (info.feature_flags & kFeatureSse2) != 0;
  switch (info.family) {
    case 5:
      return mmx ? 3 : 1;
    case 6:
      if (!mmx) return 2;
      return sse ? 5 : 4;
    case 15:
      return sse2 ? 6 : 0;
    default:
      return 0;
  }
}

ProcessorKind DetermineProcessorKind(platform::CodecSettings* settings) {
  const ProcessorInfo& info = DetectProcessor();
  // The override is trusted: it may name a set the processor cannot run.
  const int32_t override = settings != nullptr ? settings->ReadInt32("USECPU") : -1;
  if (override >= 0 && override < kProcessorKindCount) return override;
  return KindFromProcessorInfo(info);
}

bool HasAvx2(const ProcessorInfo& info) {
  // The AVX2 set is built for BMI2 too (its compilers may use the shifts of
  // either), so it needs both.
  constexpr uint32_t kLeaf7 = kFeatureAvx2 | kFeatureBmi2;
  return (info.feature_flags_ecx & kFeatureAvx) != 0 && info.ymm_state_saved &&
         (info.extended_features & kLeaf7) == kLeaf7;
}

KernelSet KernelSetFor(ProcessorKind kind, bool avx2Allowed) {
  if (!IsPackedKind(kind)) return KernelSet::kPlain;
  return avx2Allowed ? KernelSet::kAvx2 : KernelSet::kSse2;
}

void FillKernelTable(KernelTable& table, KernelSet set) {
  // Every set starts from the complete plain set; each packed set replaces
  // single entries of the one below it.
  FillPlainSet(table);
  if (set == KernelSet::kPlain) return;
  FillPackedSet(table);
  if (set == KernelSet::kAvx2) FillAvx2Set(table);
}

namespace {

// AVX2 forms are taken where the processor and the system have them, unless
// the "AVX2" setting is 0 (which leaves a packed kind its SSE2 forms).
bool Avx2Allowed(platform::CodecSettings* settings) {
  const bool available = HasAvx2(DetectProcessor());
  return available && (settings == nullptr || settings->ReadInt32("AVX2") != 0);
}

}  // namespace

ProcessorKind BuildKernelTable(KernelTable& table) {
  // The overrides are read once, here; nothing of the settings is kept.
  const std::unique_ptr<platform::CodecSettings> settings = platform::OpenCodecSettings();
  const ProcessorKind kind = DetermineProcessorKind(settings.get());
  FillKernelTable(table, KernelSetFor(kind, Avx2Allowed(settings.get())));
  return kind;
}

void UseProcessorKind(KernelTable& table, ProcessorKind& recordKind, ProcessorKind kind) {
  recordKind = kind;
  const std::unique_ptr<platform::CodecSettings> settings = platform::OpenCodecSettings();
  FillKernelTable(table, KernelSetFor(kind, Avx2Allowed(settings.get())));
}

void ActivateDctMethod(KernelTable& table, int dctMethod) {
  const InverseDctKernel* source = dctMethod == 1 ? table.inverse_dct_method1 : table.inverse_dct_method0;
  for (int i = 0; i < kTransformSizes; ++i) table.active_inverse_dct[i] = source[i];
  table.active_dequantize = dctMethod == 1 ? table.dequantize_method1 : table.dequantize_method0;
  table.active_decode_block = dctMethod == 1 ? table.decode_block_method1 : table.decode_block_method0;
  table.active_decode_mcu = dctMethod == 1 ? table.decode_mcu_method1 : table.decode_mcu_method0;
  table.active_decode_mcu_dc = dctMethod == 1 ? table.decode_mcu_dc_method1 : table.decode_mcu_dc_method0;
  table.active_decode_dc = dctMethod == 1 ? table.decode_dc_method1 : table.decode_dc_method0;
}

}  // namespace halvora::jpeg
