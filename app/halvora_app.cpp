#include "app/halvora_app.h"

#include <cstdio>

#include "app/command_line.h"
#include "platform/text.h"
#include "platform/trace.h"

namespace halvora {

namespace {

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool IsScanSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

}  // namespace

bool ReadLangId(std::u16string_view text, uint16_t& id) {
  if (text.size() < 3 || text[0] != u'0' || text[1] != u'x' || HexDigit(text[2]) < 0) return false;
  uint16_t value = 0;
  for (size_t i = 2; i < text.size() && i < 6 && HexDigit(text[i]) >= 0; ++i) {
    value = static_cast<uint16_t>(value * 16 + HexDigit(text[i]));
  }
  id = value;
  return true;
}

bool ScanHex(std::u16string_view text, uint32_t& number) {
  size_t i = 0;
  while (i < text.size() && IsScanSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  const bool prefixed = i + 2 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X');
  if (prefixed && HexDigit(text[i + 2]) >= 0) i += 2;
  if (i >= text.size() || HexDigit(text[i]) < 0) return false;
  uint32_t value = 0;
  for (; i < text.size() && HexDigit(text[i]) >= 0; ++i) value = value * 16 + static_cast<uint32_t>(HexDigit(text[i]));
  number = negative ? 0u - value : value;
  return true;
}

std::u16string FormatLangId(uint16_t id) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04x", id);
  return platform::Utf16(text);
}

CHalvoraApp::CHalvoraApp(platform::ShellPlatform& platform, std::u16string commandTail)
    : m_platform(platform), m_commandTail(std::move(commandTail)) {}

bool CHalvoraApp::Startup() {
  m_platform.EnableControlHosting();
  platform::Trace("Command line = %s.\n", platform::Utf8(m_commandTail).c_str());
  MakePageDirString(m_strPageDir);
  m_platform.RunModalDialog(kInstructionDialogTemplate);
  return false;
}

bool CHalvoraApp::MakePageDirString(std::u16string& out) {
  std::u16string root;
  if (!ParseOptionValue(m_commandTail, u"root_dir", root) && !FindExecutableFolder(root)) return false;
  const std::u16string language = MakeLangIdString();
  out = root + u"PageData\\" + language + u"\\";
  platform::Trace("MakePageDirString: PageRoot = %s.\n", platform::Utf8(out).c_str());
  return true;
}

bool CHalvoraApp::FindExecutableFolder(std::u16string& root) {
  const platform::ExecutablePath executable = m_platform.GetExecutablePath();
  if (executable.path.empty()) {
    platform::Trace("MakePageDirStirng: fail with error code %d!\n", static_cast<int>(executable.error));
    return false;
  }
  const size_t separator = executable.path.rfind(u'\\');
  if (separator == std::u16string::npos) return false;
  root = executable.path.substr(0, separator + 1);
  return true;
}

std::u16string CHalvoraApp::MakeLangIdString() {
  std::u16string text;
  if (!ParseOptionValue(m_commandTail, u"lang_id", text)) return FormatLangId(DetectUILanguage());
  uint16_t id = 0;
  // Text that names no identifier still names the folder; the thread's
  // locale is then left as the system set it rather than set to garbage.
  if (ReadLangId(text, id)) {
    platform::Trace("LangID = 0x%04x.\n", id);
    m_platform.SetThreadLanguage(id);
  }
  return text;
}

uint16_t CHalvoraApp::DetectUILanguage() {
  if (const auto language = m_platform.GetUserDefaultUILanguage()) return *language;
  if (m_platform.IsWindows9xFamily()) return ResourceLocaleOr(kDefaultLanguage);
  return SystemLanguageOr(kDefaultLanguage);
}

uint16_t CHalvoraApp::ResourceLocaleOr(uint16_t fallback) {
  const auto value = m_platform.ReadResourceLocale();
  uint32_t number = 0;
  if (!value || !ScanHex(*value, number)) return fallback;
  const auto id = static_cast<uint16_t>(number & 0xFFFF);
  platform::Trace("CHalvoraApp(Windows 9x)::DetectUILanguage() 9X1st/2nd = %04X\n", id);
  return id;
}

uint16_t CHalvoraApp::SystemLanguageOr(uint16_t fallback) {
  const auto languages = m_platform.GetSystemResourceLanguages();
  if (!languages) return fallback;
  // The enumeration's last language wins, as each one overwrote the last.
  const uint16_t id = languages->empty() ? fallback : languages->back();
  if (id != 0) platform::Trace("CHalvoraApp(Windows NT)::DetectUILanguage() NT1st/2nd = %04X\n", id);
  return id;
}

}  // namespace halvora
