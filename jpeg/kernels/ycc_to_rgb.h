// YCbCr -> RGB with 8 fraction bits (the JFIF equations:
// R = Y + 1.402 (Cr - 128), G = Y - 0.34414 (Cb - 128) - 0.71414 (Cr - 128),
// B = Y + 1.772 (Cb - 128)).
//
// Two forms of the green term exist and both are kept on purpose: the fused
// MCU routines subtract a floored offset, the per-component routine and the
// final pass over the DIB (color_pass.h) add a floored negated offset,
// (34806 - 88 Cb - 183 Cr) >> 8. They differ by one
// whenever 88 Cb + 183 Cr - 34806 is not a multiple of 256 (Y = Cb = Cr = 128
// gives G = 129 in the fused form, 128 in the other).
#pragma once

#include <cstdint>

namespace halvora::jpeg {

inline uint8_t ClampToByte(int32_t value) {
  return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

struct Rgb {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};

// The offsets one chroma pair adds to each luminance sample it covers.
struct ChromaOffsets {
  int32_t red;
  int32_t green;  // added to Y
  int32_t blue;
};

inline ChromaOffsets FusedChromaOffsets(int32_t cb, int32_t cr) {
  return {(359 * cr - 45813) >> 8, -((88 * cb + 183 * cr - 34806) >> 8), (454 * cb - 57937) >> 8};
}

inline Rgb ApplyChroma(int32_t y, const ChromaOffsets& offsets) {
  return {ClampToByte(y + offsets.red), ClampToByte(y + offsets.green), ClampToByte(y + offsets.blue)};
}

}  // namespace halvora::jpeg
