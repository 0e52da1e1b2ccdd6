#include <dirent.h>
#include <fnmatch.h>

#include <string>

#include "platform/directory.h"
#include "platform/posix/posix_path.h"
#include "platform/text.h"

namespace halvora::platform {

namespace {

// Windows matches "*.*" against every name, also names without a dot.
bool MatchesPattern(const std::string& pattern, const char* name) {
  if (pattern == "*.*" || pattern == "*") return true;
  return ::fnmatch(pattern.c_str(), name, FNM_CASEFOLD) == 0;
}

class PosixEnumeration final : public DirectoryEnumeration {
 public:
  PosixEnumeration(DIR* dir, std::string pattern) : dir_(dir), pattern_(std::move(pattern)) {}
  ~PosixEnumeration() override { ::closedir(dir_); }

  bool Next(std::u16string& name) override {
    while (const dirent* entry = ::readdir(dir_)) {
      if (MatchesPattern(pattern_, entry->d_name)) {
        name = Utf16(entry->d_name);
        return true;
      }
    }
    return false;
  }

 private:
  DIR* dir_;
  std::string pattern_;
};

}  // namespace

std::unique_ptr<DirectoryEnumeration> EnumerateFirst(std::u16string_view pattern,
                                                     std::u16string& firstName) {
  const std::string native = ToNativePath(Utf8(pattern));
  const size_t slash = native.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : native.substr(0, slash + 1);
  std::string filePattern = slash == std::string::npos ? native : native.substr(slash + 1);
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return nullptr;
  auto enumeration = std::make_unique<PosixEnumeration>(dir, std::move(filePattern));
  if (!enumeration->Next(firstName)) return nullptr;
  return enumeration;
}

}  // namespace halvora::platform
