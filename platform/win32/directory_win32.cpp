#include <windows.h>

#include <string>

#include "platform/directory.h"

namespace halvora::platform {

namespace {

std::u16string NameOf(const WIN32_FIND_DATAW& data) {
  const wchar_t* name = data.cFileName;
  return std::u16string(name, name + ::wcsnlen(name, MAX_PATH));
}

class Win32Enumeration final : public DirectoryEnumeration {
 public:
  explicit Win32Enumeration(HANDLE find) : find_(find) {}
  ~Win32Enumeration() override { ::FindClose(find_); }

  bool Next(std::u16string& name) override {
    WIN32_FIND_DATAW data;
    if (!::FindNextFileW(find_, &data)) return false;
    name = NameOf(data);
    return true;
  }

 private:
  HANDLE find_;
};

}  // namespace

std::unique_ptr<DirectoryEnumeration> EnumerateFirst(std::u16string_view pattern,
                                                     std::u16string& firstName) {
  const std::wstring native(pattern.begin(), pattern.end());
  WIN32_FIND_DATAW data;
  const HANDLE find = ::FindFirstFileW(native.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return nullptr;
  firstName = NameOf(data);
  return std::make_unique<Win32Enumeration>(find);
}

}  // namespace halvora::platform
