#include "platform/command_tail.h"

#include "platform/text.h"

namespace halvora::platform {

std::u16string FormCommandTail(std::u16string_view commandLine) {
  size_t p = 0;
  if (!commandLine.empty() && commandLine[0] == u'"') {
    const size_t closing = commandLine.find(u'"', 1);
    p = closing == std::u16string_view::npos ? commandLine.size() : closing + 1;
  } else {
    while (p < commandLine.size() && commandLine[p] > 0x20) ++p;
  }
  while (p < commandLine.size() && commandLine[p] <= 0x20 && commandLine[p] != 0) ++p;
  std::u16string tail(commandLine.substr(p));
  // The tail is a zero-terminated buffer: nothing after an embedded zero exists.
  tail.resize(std::char_traits<char16_t>::length(tail.c_str()));
  return tail;
}

std::u16string JoinArguments(int argc, const char* const* argv) {
  std::u16string tail;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) tail += u' ';
    tail += Utf16(argv[i]);
  }
  return tail;
}

}  // namespace halvora::platform
