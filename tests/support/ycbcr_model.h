// Y, Cb, Cr to red, green and blue as the codec computes them: factors with
// eight fraction bits, each term rounded down, the sum clamped to 0..255.
// The two forms differ only in green. The fused MCU routines subtract the
// rounded-down green term from Y; the per-component output and the final
// colour pass add the rounded-down negated term, so before the clamp their
// green is one lower wherever that term is not a multiple of 256 (mid grey:
// 128 against the fused 129).
#pragma once

#include <cstdint>
#include <vector>

namespace halvora::test_support {

enum class GreenForm { kFused, kGeneric };

struct Rgb {
  uint8_t r, g, b;
};

Rgb ModelYccToRgb(int y, int cb, int cr, GreenForm form);

// B, G, R triples for the Y, Cb, Cr triples of `ycc` in the generic form:
// what the final pass makes of the samples of a BGR DIB.
std::vector<uint8_t> ModelGenericBgr(const std::vector<uint8_t>& ycc);

}  // namespace halvora::test_support
