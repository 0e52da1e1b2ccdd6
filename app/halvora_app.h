// The application object: forms the page folder path from the command line
// and the user's language, then runs the instruction dialog.
#pragma once

#include <cstdint>
#include <string>

#include "platform/shell.h"

namespace halvora {

// The instruction viewer's dialog template.
inline constexpr int kInstructionDialogTemplate = 102;
// The language used when no source names one: English (United States).
inline constexpr uint16_t kDefaultLanguage = 0x0409;

class CHalvoraApp {
 public:
  // `commandTail` is the command line without the program's name; options are
  // removed from it as they are consumed.
  CHalvoraApp(platform::ShellPlatform& platform, std::u16string commandTail);

  // Forms the page folder path and runs the dialog. Always false: the program
  // ends when the dialog does, with no message loop of its own.
  bool Startup();

  // "<root>PageData\<language folder>\" into `out`; false (and `out`
  // unchanged) when the executable's folder cannot be found.
  bool MakePageDirString(std::u16string& out);
  // The language folder name: the lang_id text as typed (which also becomes
  // the thread's locale), else "0x%04x" of the detected UI language.
  std::u16string MakeLangIdString();
  uint16_t DetectUILanguage();

  std::u16string GetPageDirString() const { return m_strPageDir; }
  const std::u16string& commandTail() const { return m_commandTail; }

 private:
  bool FindExecutableFolder(std::u16string& root);
  uint16_t ResourceLocaleOr(uint16_t fallback);
  uint16_t SystemLanguageOr(uint16_t fallback);

  platform::ShellPlatform& m_platform;
  std::u16string m_commandTail;
  std::u16string m_strPageDir;
};

// "0x" followed by up to four hex digits (either case) -> the identifier;
// anything else gives nothing. Text after the digits is ignored.
bool ReadLangId(std::u16string_view text, uint16_t& id);
// The number a "%x" scan finds at the start of `text`, if any.
bool ScanHex(std::u16string_view text, uint32_t& number);
// "0x%04x" of `id`.
std::u16string FormatLangId(uint16_t id);

}  // namespace halvora
