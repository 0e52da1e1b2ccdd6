#include "platform/win32/system_library.h"

#include <string>

#include "platform/text.h"
#include "platform/trace.h"

namespace halvora::platform {

namespace {

std::string Narrow(const wchar_t* text) {
  const std::u16string wide(text, text + ::wcslen(text));
  return Utf8(wide);
}

// The full path of `name` in the system folder, for systems that refuse the
// search flags: a full path is never searched for.
HMODULE LoadByFullSystemPath(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\" + name;
  // The library's own imports are then searched in its folder first.
  return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

void RestrictLibrarySearchToSystemFolder() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const auto restrict = EntryPoint<SetDefaultDllDirectoriesFn>(::GetModuleHandleW(L"kernel32.dll"),
                                                               "SetDefaultDllDirectories");
  if (restrict != nullptr) restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  HMODULE library = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Windows 7 before its loader update refuses the flag as an invalid parameter.
  if (library == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER) library = LoadByFullSystemPath(name);
  if (library == nullptr) {
    const DWORD error = ::GetLastError();
    Trace("%s could not be loaded from the system folder (error %lu).\n", Narrow(name).c_str(), error);
  }
  return library;
}

FARPROC FindEntryPoint(HMODULE library, const char* name) {
  const FARPROC entry = library != nullptr ? ::GetProcAddress(library, name) : nullptr;
  if (entry == nullptr) Trace("The system lacks %s.\n", name);
  return entry;
}

}  // namespace halvora::platform
