// From DIB pixels to component samples: colour conversion of one DIB line
// (DibConvertKernel) and chroma downsampling by averaging
// (DownsampleKernel). The plain forms define the results; every packed form
// equals its plain twin on every input.
//
// RGB -> YCbCr follows the JFIF equations with 15-bit factors whose rows sum
// to 32768 (Y) and 0 (Cb, Cr), so a grey pixel keeps its value as Y and gets
// 128 as chroma:
//   Y  = ( 9798 R + 19234 G +  3736 B + 16384) >> 15
//   Cb = (-5529 R - 10855 G + 16384 B + 128 x 2^15 + 16383) >> 15
//   Cr = (16384 R - 13720 G -  2664 B + 128 x 2^15 + 16383) >> 15
// Chroma rounds halves down, which keeps its largest value at 255.
#pragma once

#include "jpeg/kernels/encode_kernel_types.h"

namespace halvora::jpeg {

// The conversions the kernel table holds, by DIB layout and output.
enum class DibConversion {
  kBgrToYcc,    // 3 bytes B G R -> Y, Cb, Cr
  kRgbToYcc,    // 3 bytes R G B -> Y, Cb, Cr
  kRgbxToYcc,   // 4 bytes R G B x -> Y, Cb, Cr
  kRgbaToYcck,  // 4 bytes R G B A -> Y, Cb, Cr of 255 - R, G, B, and A as it is
  kBgrToGrey,   // 3 bytes B G R -> Y
  kRgbToGrey,   // 3 bytes R G B -> Y
};
inline constexpr int kDibConversions = 6;

namespace ycc_factors {
inline constexpr int32_t kYr = 9798, kYg = 19234, kYb = 3736;
inline constexpr int32_t kCbR = -5529, kCbG = -10855, kCbB = 16384;
inline constexpr int32_t kCrR = 16384, kCrG = -13720, kCrB = -2664;
inline constexpr int32_t kYRounding = 1 << 14;
inline constexpr int32_t kChromaOffset = (128 << 15) + (1 << 14) - 1;
}  // namespace ycc_factors

void ConvertBgrToYccPlain(const uint8_t* pixels, int32_t count, uint8_t* const* rows);
void ConvertRgbToYccPlain(const uint8_t* pixels, int32_t count, uint8_t* const* rows);
void ConvertRgbxToYccPlain(const uint8_t* pixels, int32_t count, uint8_t* const* rows);
void ConvertRgbaToYcckPlain(const uint8_t* pixels, int32_t count, uint8_t* const* rows);
void ConvertBgrToGreyPlain(const uint8_t* pixels, int32_t count, uint8_t* const* rows);
void ConvertRgbToGreyPlain(const uint8_t* pixels, int32_t count, uint8_t* const* rows);

// 2 x 1 averaging (bias 0, 1, 0, 1, ...) and 2 x 2 averaging (bias 1, 2, 1,
// 2, ...); the 2 x 1 form reads `upper` only.
void DownsampleH2V1Plain(const uint8_t* upper, const uint8_t* lower, int32_t count, uint8_t* out);
void DownsampleH2V2Plain(const uint8_t* upper, const uint8_t* lower, int32_t count, uint8_t* out);

// Copies or fills each component from one byte of the pixel: component k
// takes byte sources[k] of every pixel, or 128 where sources[k] is -1 (the
// chroma of a grey DIB written as YCbCr). Plain only: these layouts store
// the DIB's bytes as they are.
void CopyDibChannels(const uint8_t* pixels, int32_t count, int32_t channels, const int8_t* sources, int32_t components,
                     uint8_t* const* rows);

#if defined(HALVORA_JPEG_SSE2)
void ConvertBgrToYccSse2(const uint8_t* pixels, int32_t count, uint8_t* const* rows);
void ConvertRgbToYccSse2(const uint8_t* pixels, int32_t count, uint8_t* const* rows);
void ConvertRgbxToYccSse2(const uint8_t* pixels, int32_t count, uint8_t* const* rows);
void ConvertRgbaToYcckSse2(const uint8_t* pixels, int32_t count, uint8_t* const* rows);
void ConvertBgrToGreySse2(const uint8_t* pixels, int32_t count, uint8_t* const* rows);
void ConvertRgbToGreySse2(const uint8_t* pixels, int32_t count, uint8_t* const* rows);
void DownsampleH2V1Sse2(const uint8_t* upper, const uint8_t* lower, int32_t count, uint8_t* out);
void DownsampleH2V2Sse2(const uint8_t* upper, const uint8_t* lower, int32_t count, uint8_t* out);
#endif

#if defined(HALVORA_JPEG_AVX2)
void ConvertBgrToYccAvx2(const uint8_t* pixels, int32_t count, uint8_t* const* rows);
void ConvertRgbToYccAvx2(const uint8_t* pixels, int32_t count, uint8_t* const* rows);
void ConvertRgbxToYccAvx2(const uint8_t* pixels, int32_t count, uint8_t* const* rows);
void ConvertRgbaToYcckAvx2(const uint8_t* pixels, int32_t count, uint8_t* const* rows);
void DownsampleH2V1Avx2(const uint8_t* upper, const uint8_t* lower, int32_t count, uint8_t* out);
void DownsampleH2V2Avx2(const uint8_t* upper, const uint8_t* lower, int32_t count, uint8_t* out);
#endif

}  // namespace halvora::jpeg
