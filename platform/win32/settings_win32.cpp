#include <windows.h>

#include "platform/settings.h"
#include "platform/win32/system_library.h"

namespace halvora::platform {

namespace {

using RegOpenKeyExAFn = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
using RegQueryValueExAFn = LONG(WINAPI*)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
using RegCloseKeyFn = LONG(WINAPI*)(HKEY);

// The registry library is loaded for as long as the codec record that asked
// for it lives, and its functions are looked up by name.
class RegistrySettings final : public CodecSettings {
 public:
  explicit RegistrySettings(HMODULE library)
      : library_(library),
        open_(EntryPoint<RegOpenKeyExAFn>(library, "RegOpenKeyExA")),
        query_(EntryPoint<RegQueryValueExAFn>(library, "RegQueryValueExA")),
        close_(EntryPoint<RegCloseKeyFn>(library, "RegCloseKey")) {}
  ~RegistrySettings() override { ::FreeLibrary(library_); }

  int32_t ReadInt32(const char* name) override {
    if (open_ == nullptr || query_ == nullptr || close_ == nullptr) return -1;
    HKEY key = nullptr;
    if (open_(HKEY_LOCAL_MACHINE, "Software\\Halvora\\JpegCodec", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
      return -1;
    }
    // Four bytes holding -1 beforehand: a shorter value leaves the rest at
    // 0xFF, a longer one fails the read; the value's type is not looked at.
    int32_t value = -1;
    DWORD size = sizeof value;
    const LONG read = query_(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    close_(key);
    return read == ERROR_SUCCESS ? value : -1;
  }

 private:
  HMODULE library_;
  RegOpenKeyExAFn open_;
  RegQueryValueExAFn query_;
  RegCloseKeyFn close_;
};

}  // namespace

std::unique_ptr<CodecSettings> OpenCodecSettings() {
  const HMODULE library = LoadSystemLibrary(L"advapi32.dll");
  if (library == nullptr) return nullptr;
  return std::make_unique<RegistrySettings>(library);
}

}  // namespace halvora::platform
