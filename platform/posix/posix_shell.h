// The application shell's system services on Linux and other POSIX systems.
#pragma once

#include <optional>

#include "platform/native_shell.h"

namespace halvora::platform {

class PosixShell final : public ShellPlatform {
 public:
  // There are no native dialogs here: the program supplies the runner (or
  // none, and RunModalDialog reports -1).
  explicit PosixShell(DialogRunner runDialog = {});

  ExecutablePath GetExecutablePath() override;
  // The user's language from LC_ALL, LC_MESSAGES or LANG.
  std::optional<uint16_t> GetUserDefaultUILanguage() override;
  bool IsWindows9xFamily() override;
  std::optional<std::u16string> ReadResourceLocale() override;
  std::optional<std::vector<uint16_t>> GetSystemResourceLanguages() override;
  void SetThreadLanguage(uint16_t language) override;
  void EnableControlHosting() override;
  intptr_t RunModalDialog(int templateId) override;

  // The language that resource lookups on this thread should use, if set.
  std::optional<uint16_t> threadLanguage() const { return threadLanguage_; }

 private:
  DialogRunner runDialog_;
  std::optional<uint16_t> threadLanguage_;
};

}  // namespace halvora::platform
