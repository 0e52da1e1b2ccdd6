// Counting the units that cover a length, the last one possibly partial.
#pragma once

#include <cstdint>

namespace halvora::jpeg {

// ceil(value / divisor) for value >= 0 and divisor > 0, without overflow for
// any pair of ints.
inline int CeilDiv(int64_t value, int64_t divisor) { return static_cast<int>((value + divisor - 1) / divisor); }

}  // namespace halvora::jpeg
