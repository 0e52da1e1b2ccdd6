// The caller's DIB as the entries address it: the distance between its lines
// and whether all of its lines lie inside the address space.
#pragma once

#include <cstddef>
#include <cstdint>

namespace halvora::jpeg {

// Bytes from one line to the next; at most 65535 x 255 + 2^31, which 64 bits
// hold, as they hold that times 65535 lines.
inline int64_t DibLineBytes(int32_t width, int32_t channels, int32_t padBytes) {
  return int64_t{width} * channels + padBytes;
}

// Whether `lines` lines of `lineBytes` from `pixels` can be addressed: a DIB
// whose last byte would lie past the end of the address space is refused
// rather than addressed with pointers that wrap.
inline bool DibAddressable(const uint8_t* pixels, int64_t lineBytes, int64_t lines) {
  const int64_t extent = lineBytes * lines;
  if (extent > PTRDIFF_MAX) return false;
  const auto start = reinterpret_cast<std::uintptr_t>(pixels);
  return start <= UINTPTR_MAX - static_cast<std::uintptr_t>(extent);
}

}  // namespace halvora::jpeg
