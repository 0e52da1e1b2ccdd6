#include "tools/file_io.h"

namespace halvora::tools {

namespace {

// 64-bit positions: a long is 32 bits on Windows, and an image file may be
// larger than 2 GiB.
#ifdef _WIN32
int64_t Tell(std::FILE* file) { return _ftelli64(file); }
bool Seek(std::FILE* file, int64_t offset, int origin) { return _fseeki64(file, offset, origin) == 0; }
#else
int64_t Tell(std::FILE* file) { return ftello(file); }
bool Seek(std::FILE* file, int64_t offset, int origin) { return fseeko(file, offset, origin) == 0; }
#endif

}  // namespace

int64_t BytesLeft(std::FILE* file) {
  const int64_t here = Tell(file);
  if (here < 0 || !Seek(file, 0, SEEK_END)) return -1;
  const int64_t end = Tell(file);
  if (!Seek(file, here, SEEK_SET) || end < here) return -1;
  return end - here;
}

}  // namespace halvora::tools
