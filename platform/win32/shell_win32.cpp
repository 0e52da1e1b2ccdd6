#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/trace.h"
#include "platform/win32/win32_modal_dialog.h"
#include "platform/win32/win32_resources.h"
#include "platform/win32/win32_shell.h"

namespace halvora::platform {

namespace {

std::u16string ToU16(const wchar_t* text, size_t length) { return std::u16string(text, text + length); }

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  if (param == 0) return FALSE;
  reinterpret_cast<std::vector<uint16_t>*>(param)->push_back(language);
  return TRUE;
}

}  // namespace

std::unique_ptr<ShellPlatform> CreateNativeShell(DialogHandlerFactory createDialog) {
  return std::make_unique<Win32Shell>(std::move(createDialog));
}

Win32Shell::Win32Shell(DialogHandlerFactory createDialog) : createDialog_(std::move(createDialog)) {}

ExecutablePath Win32Shell::GetExecutablePath() {
  // A result equal to the buffer's size means the path was cut (and, on
  // older systems, not terminated): retry with a larger buffer.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {{}, ::GetLastError()};
    if (length < buffer.size()) return {ToU16(buffer.data(), length), 0};
    if (buffer.size() >= 32768) return {{}, ERROR_INSUFFICIENT_BUFFER};
    buffer.resize(buffer.size() * 2);
  }
}

std::optional<uint16_t> Win32Shell::GetUserDefaultUILanguage() {
  // Looked up at run time so that the program also starts where the call
  // does not exist.
  using Fn = LANGID(WINAPI*)();
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return std::nullopt;
  const auto function =
      reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(kernel, "GetUserDefaultUILanguage")));
  if (function == nullptr) return std::nullopt;
  return function();
}

bool Win32Shell::IsWindows9xFamily() { return (::GetVersion() & 0x80000000u) != 0; }

std::optional<std::u16string> Win32Shell::ReadResourceLocale() {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop\\ResourceLocale", 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  wchar_t buffer[16] = {};
  DWORD type = 0;
  DWORD size = sizeof buffer;
  const LONG read = ::RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  ::RegCloseKey(key);
  if (read != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  // A stored string need not carry its terminator: take only the bytes read.
  const size_t units = size / sizeof(wchar_t);
  return ToU16(buffer, ::wcsnlen(buffer, units));
}

std::optional<std::vector<uint16_t>> Win32Shell::GetSystemResourceLanguages() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return std::nullopt;
  std::vector<uint16_t> languages;
  ::EnumResourceLanguagesW(ntdll, MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1), CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
  return languages;
}

void Win32Shell::SetThreadLanguage(uint16_t language) {
  ::SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
  threadLanguage_ = language;
}

void Win32Shell::EnableControlHosting() {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
}

uint16_t Win32Shell::DialogLanguage() {
  constexpr uint16_t kEnglishUnitedStates = 0x0409;
  if (threadLanguage_) return *threadLanguage_;
  return GetUserDefaultUILanguage().value_or(kEnglishUnitedStates);
}

intptr_t Win32Shell::RunModalDialog(int templateId) {
  const uint16_t language = DialogLanguage();
  const ResourceBytes dialogTemplate = FindResourceInLanguage(RT_DIALOG, templateId, language);
  if (!createDialog_ || dialogTemplate.data == nullptr) {
    Trace("RunModalDialog: no dialog for template %d.\n", templateId);
    return -1;
  }
  return RunModalDialogFromTemplate(dialogTemplate.data, language, createDialog_);
}

}  // namespace halvora::platform
