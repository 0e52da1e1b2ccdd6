// Enumerating a folder, entry by entry, in the order the system delivers them.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace halvora::platform {

class DirectoryEnumeration {
 public:
  virtual ~DirectoryEnumeration() = default;  // closes the enumeration
  // The next entry's name; false once the enumeration is exhausted.
  virtual bool Next(std::u16string& name) = 0;
};

// Opens an enumeration of a Windows-style pattern such as "C:\Pages\*.*" (both
// '\' and '/' separate folders). On success `firstName` holds the first entry.
// Null when the folder cannot be read or nothing matches.
std::unique_ptr<DirectoryEnumeration> EnumerateFirst(std::u16string_view pattern,
                                                     std::u16string& firstName);

}  // namespace halvora::platform
