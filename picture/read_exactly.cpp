#include "picture/read_exactly.h"

#include <cstdint>

namespace halvora::picture {

bool ReadExactly(platform::ReadableFile& file, void* buffer, size_t count) {
  auto* next = static_cast<uint8_t*>(buffer);
  while (count > 0) {
    const int64_t got = file.Read(next, count);
    if (got <= 0) return false;
    next += got;
    count -= static_cast<size_t>(got);
  }
  return true;
}

}  // namespace halvora::picture
