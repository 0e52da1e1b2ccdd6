// What the application shell needs of the system at start-up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace halvora::platform {

struct ExecutablePath {
  std::u16string path;  // full path of the running program; empty on failure
  uint32_t error = 0;   // the system's error code when the path is empty
};

class ShellPlatform {
 public:
  virtual ~ShellPlatform() = default;

  virtual ExecutablePath GetExecutablePath() = 0;

  // Sources of the user-interface language, in the order the shell asks them.
  // The user's UI language where the system offers a call for it.
  virtual std::optional<uint16_t> GetUserDefaultUILanguage() = 0;
  // True on the Windows 9x family, whose resource locale lives in the registry.
  virtual bool IsWindows9xFamily() = 0;
  // The default value of HKCU "Control Panel\Desktop\ResourceLocale" when it is
  // a string (read into 16 UTF-16 units); nullopt otherwise.
  virtual std::optional<std::u16string> ReadResourceLocale() = 0;
  // The languages of the system library's version resource, in enumeration
  // order; nullopt when the library is not there.
  virtual std::optional<std::vector<uint16_t>> GetSystemResourceLanguages() = 0;

  // Makes `language` the thread's locale, so that resources load in it.
  virtual void SetThreadLanguage(uint16_t language) = 0;
  // Turns on hosting of embedded controls and the three-dimensional look
  // where the system has them.
  virtual void EnableControlHosting() = 0;
  // Creates the dialog of `templateId` with no owner and runs it modally;
  // its end result, or -1 when it could not be run.
  virtual intptr_t RunModalDialog(int templateId) = 0;
};

}  // namespace halvora::platform
