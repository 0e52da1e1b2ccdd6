// Constant tables of the transforms, shared read-only by every kernel set.
#pragma once

namespace halvora::jpeg {

// Scale factors of the Arai-Agui-Nakajima factorisation in zig-zag order:
// s(u)s(v)/8 rounded to six decimal places, s(0) = 1 and s(i) = sqrt(2)cos(i pi/16).
// The scaled (method 0) quantisation tables fold them in once per table so the
// transform itself needs only five multiplications per pass.
extern const double kAanScaleFactors[64];

}  // namespace halvora::jpeg
