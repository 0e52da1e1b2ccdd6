// The stdio files that image readers and writers work on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace halvora::tools {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Bytes from the current position to the end of the file, or -1 when it
// cannot tell. Readers compare it with what a header promises before they
// allocate, so a short or hostile file costs no memory.
int64_t BytesLeft(std::FILE* file);

// True when all `size` bytes were written.
inline bool PutBytes(std::FILE* file, const void* data, size_t size) {
  return size == 0 || std::fwrite(data, 1, size, file) == size;
}

}  // namespace halvora::tools
