// The application shell's system services on Linux and other POSIX systems.
#pragma once

#include <optional>

#include "platform/native_shell.h"

namespace halvora::platform {

class PosixShell final : public ShellPlatform {
 public:
  PosixShell() = default;

  ExecutablePath GetExecutablePath() override;
  // The user's language from LC_ALL, LC_MESSAGES or LANG.
  std::optional<uint16_t> GetUserDefaultUILanguage() override;
  bool IsWindows9xFamily() override;
  std::optional<std::u16string> ReadResourceLocale() override;
  std::optional<std::vector<uint16_t>> GetSystemResourceLanguages() override;
  void SetThreadLanguage(uint16_t language) override;
  void EnableControlHosting() override;
  // There is no window system for dialogs here: always -1.
  intptr_t RunModalDialog(int templateId) override;

  // The language that resource lookups on this thread should use, if set.
  std::optional<uint16_t> threadLanguage() const { return threadLanguage_; }

 private:
  std::optional<uint16_t> threadLanguage_;
};

}  // namespace halvora::platform
