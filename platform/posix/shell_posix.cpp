#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/posix/locale_names.h"
#include "platform/posix/posix_shell.h"
#include "platform/text.h"
#include "platform/trace.h"

namespace halvora::platform {

namespace {

// The executable's path with '\' separators, so that the shell's Windows-style
// path forming finds its folder.
std::u16string WindowsStylePath(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return Utf16(path);
}

}  // namespace

std::unique_ptr<ShellPlatform> CreateNativeShell(DialogHandlerFactory) {
  return std::make_unique<PosixShell>();
}

ExecutablePath PosixShell::GetExecutablePath() {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {{}, static_cast<uint32_t>(errno)};
    if (static_cast<size_t>(length) < buffer.size()) {
      return {WindowsStylePath(std::string(buffer.data(), static_cast<size_t>(length))), 0};
    }
    buffer.resize(buffer.size() * 2);  // the path may have been cut: retry larger
  }
}

std::optional<uint16_t> PosixShell::GetUserDefaultUILanguage() { return LanguageIdFromEnvironment(); }

bool PosixShell::IsWindows9xFamily() { return false; }

std::optional<std::u16string> PosixShell::ReadResourceLocale() { return std::nullopt; }

std::optional<std::vector<uint16_t>> PosixShell::GetSystemResourceLanguages() { return std::nullopt; }

void PosixShell::SetThreadLanguage(uint16_t language) { threadLanguage_ = language; }

void PosixShell::EnableControlHosting() {}

intptr_t PosixShell::RunModalDialog(int templateId) {
  Trace("RunModalDialog: no window system for dialog %d on this platform.\n", templateId);
  return -1;
}

}  // namespace halvora::platform
