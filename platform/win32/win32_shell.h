// The application shell's system services on Windows.
#pragma once

#include "platform/native_shell.h"

namespace halvora::platform {

class Win32Shell final : public ShellPlatform {
 public:
  explicit Win32Shell(DialogHandlerFactory createDialog = {});

  ExecutablePath GetExecutablePath() override;
  std::optional<uint16_t> GetUserDefaultUILanguage() override;
  bool IsWindows9xFamily() override;
  std::optional<std::u16string> ReadResourceLocale() override;
  std::optional<std::vector<uint16_t>> GetSystemResourceLanguages() override;
  void SetThreadLanguage(uint16_t language) override;
  void EnableControlHosting() override;
  // Runs the template's copy in the thread's language when one was set, else
  // in the user's UI language.
  intptr_t RunModalDialog(int templateId) override;

 private:
  uint16_t DialogLanguage();

  DialogHandlerFactory createDialog_;
  std::optional<uint16_t> threadLanguage_;
};

}  // namespace halvora::platform
