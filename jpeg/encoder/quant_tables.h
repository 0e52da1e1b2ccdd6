// The encoder's quantisation tables: the example tables of the JPEG
// standard scaled by the quality, and their form for the forward transform.
#pragma once

#include <cstdint>

#include "jpeg/kernels/encode_kernel_types.h"

namespace halvora::jpeg {

// Table 0 (luminance) or 1 (chrominance) at `quality` (1 to 100), natural
// order: the example table scaled by 5000 / quality percent below quality
// 50 and by 200 - 2 quality percent from 50 on, each entry
// (value x scale + 50) / 100 clamped to 1..255. Quality 50 keeps the
// example tables; quality 100 makes every entry 1.
void ScaledQuantTable(int table, int quality, uint8_t (&values)[64]);

// The reciprocal form of `values` (natural order) that the forward DCT
// kernels divide by (ForwardQuantTable).
void PrepareForwardQuantTable(const uint8_t (&values)[64], ForwardQuantTable& table);

}  // namespace halvora::jpeg
