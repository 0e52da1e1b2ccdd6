// Windows-style paths on a POSIX file system.
#pragma once

#include <string>
#include <string_view>

namespace halvora::platform {

// The program forms paths with '\' as on Windows; POSIX separates with '/'.
// A backslash is never part of a page file's name, so every one is a separator.
inline std::string ToNativePath(std::string_view path) {
  std::string native(path);
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

}  // namespace halvora::platform
