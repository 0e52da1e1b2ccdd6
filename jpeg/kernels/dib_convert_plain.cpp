#include "jpeg/kernels/dib_convert.h"

namespace halvora::jpeg {

namespace {

using namespace ycc_factors;

uint8_t LumaOf(int32_t r, int32_t g, int32_t b) {
  return static_cast<uint8_t>((kYr * r + kYg * g + kYb * b + kYRounding) >> 15);
}

void PutYcc(int32_t r, int32_t g, int32_t b, uint8_t* const* rows, int32_t i) {
  rows[0][i] = LumaOf(r, g, b);
  rows[1][i] = static_cast<uint8_t>((kCbR * r + kCbG * g + kCbB * b + kChromaOffset) >> 15);
  rows[2][i] = static_cast<uint8_t>((kCrR * r + kCrG * g + kCrB * b + kChromaOffset) >> 15);
}

// The byte positions of red, green and blue in a pixel of `kBytes` bytes.
template <int kBytes, int kRed, int kBlue>
void ConvertToYcc(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  for (int32_t i = 0; i < count; ++i, pixels += kBytes) PutYcc(pixels[kRed], pixels[1], pixels[kBlue], rows, i);
}

template <int kRed, int kBlue>
void ConvertToGrey(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  for (int32_t i = 0; i < count; ++i, pixels += 3) rows[0][i] = LumaOf(pixels[kRed], pixels[1], pixels[kBlue]);
}

}  // namespace

void ConvertBgrToYccPlain(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  ConvertToYcc<3, 2, 0>(pixels, count, rows);
}

void ConvertRgbToYccPlain(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  ConvertToYcc<3, 0, 2>(pixels, count, rows);
}

void ConvertRgbxToYccPlain(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  ConvertToYcc<4, 0, 2>(pixels, count, rows);
}

// The reading side turns YCbCr with a fourth component back into 255 minus
// the converted colour, so the colour is stored complemented.
void ConvertRgbaToYcckPlain(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  for (int32_t i = 0; i < count; ++i, pixels += 4) {
    PutYcc(255 - pixels[0], 255 - pixels[1], 255 - pixels[2], rows, i);
    rows[3][i] = pixels[3];
  }
}

void ConvertBgrToGreyPlain(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  ConvertToGrey<2, 0>(pixels, count, rows);
}

void ConvertRgbToGreyPlain(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  ConvertToGrey<0, 2>(pixels, count, rows);
}

void DownsampleH2V1Plain(const uint8_t* upper, const uint8_t*, int32_t count, uint8_t* out) {
  for (int32_t i = 0; i < count; ++i) out[i] = static_cast<uint8_t>((upper[2 * i] + upper[2 * i + 1] + (i & 1)) >> 1);
}

void DownsampleH2V2Plain(const uint8_t* upper, const uint8_t* lower, int32_t count, uint8_t* out) {
  for (int32_t i = 0; i < count; ++i) {
    const int32_t sum = upper[2 * i] + upper[2 * i + 1] + lower[2 * i] + lower[2 * i + 1];
    out[i] = static_cast<uint8_t>((sum + 1 + (i & 1)) >> 2);
  }
}

void CopyDibChannels(const uint8_t* pixels, int32_t count, int32_t channels, const int8_t* sources, int32_t components,
                     uint8_t* const* rows) {
  for (int32_t k = 0; k < components; ++k) {
    uint8_t* row = rows[k];
    if (sources[k] < 0) {
      for (int32_t i = 0; i < count; ++i) row[i] = 128;
      continue;
    }
    const uint8_t* byte = pixels + sources[k];
    for (int32_t i = 0; i < count; ++i, byte += channels) row[i] = *byte;
  }
}

}  // namespace halvora::jpeg
