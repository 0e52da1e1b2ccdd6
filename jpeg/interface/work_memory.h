// The codec's work memory (the coefficient buffer of a progressive image, the
// context planes of interpolated chroma, the region index) stays within the
// budget the caller sets in max_memory_mb: a stream's header cannot make a
// read take more, whatever size it declares.
#pragma once

#include <cstdint>

#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

// The budget when the caller sets none: every image of up to 100 megapixels
// fits it (four components unsubsampled, decoded progressively, take 800 MB).
inline constexpr int32_t kDefaultWorkMemoryMb = 1024;

// The budget of a read, in bytes.
int64_t WorkMemoryLimit(const JpegState& caller);

// Whether `bytes` more work memory fit the read's budget beside what the
// record holds; `replaced` bytes of it are given back first.
bool WorkMemoryFits(const PrivateState& state, int64_t bytes, int64_t replaced = 0);

}  // namespace halvora::jpeg
