#include "platform/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace halvora::platform {

namespace {

// Opened per line so that a trace file can be inspected (or removed) while the
// program runs, and so that no handle outlives a test that set the variable.
FILE* OpenTraceSink(bool& mustClose) {
  mustClose = false;
  const char* target = std::getenv("HALVORA_TRACE");
  if (target == nullptr || *target == '\0') return nullptr;
  if (std::strcmp(target, "-") == 0) return stderr;
  mustClose = true;
  // Binary mode: a trace line ends in "\n" on every system.
  return std::fopen(target, "ab");
}

}  // namespace

void Trace(const char* format, ...) {
  bool mustClose = false;
  FILE* sink = OpenTraceSink(mustClose);
  if (sink == nullptr) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(sink, format, args);
  va_end(args);
  if (mustClose) {
    std::fclose(sink);
  } else {
    std::fflush(sink);
  }
}

}  // namespace halvora::platform
