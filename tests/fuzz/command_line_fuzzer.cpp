// The command line as the program receives it: the tail is formed from the
// whole line, its options are taken out, and the page folder path is made
// from them and from the languages a fake shell reports, which the input's
// last bytes choose.
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/halvora_app.h"
#include "platform/command_tail.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

using halvora::fuzz::FuzzInput;

class FuzzShell : public halvora::platform::ShellPlatform {
 public:
  explicit FuzzShell(FuzzInput& input) {
    const uint8_t flags = input.Byte();
    const uint8_t low = input.Byte();
    const auto language = static_cast<uint16_t>(low | input.Byte() << 8);
    if ((flags & 1) != 0) m_uiLanguage = language;
    m_windows9x = (flags & 2) != 0;
    if ((flags & 4) != 0) m_systemLanguages = std::vector<uint16_t>{language};
  }

  halvora::platform::ExecutablePath GetExecutablePath() override { return {u"C:\\Guide\\guide.exe", 0}; }
  std::optional<uint16_t> GetUserDefaultUILanguage() override { return m_uiLanguage; }
  bool IsWindows9xFamily() override { return m_windows9x; }
  std::optional<std::u16string> ReadResourceLocale() override { return m_resourceLocale; }
  std::optional<std::vector<uint16_t>> GetSystemResourceLanguages() override { return m_systemLanguages; }
  void SetThreadLanguage(uint16_t) override {}
  void EnableControlHosting() override {}
  intptr_t RunModalDialog(int) override { return 2; }

  void SetResourceLocale(std::u16string text) { m_resourceLocale = std::move(text); }

 private:
  std::optional<uint16_t> m_uiLanguage;
  bool m_windows9x = false;
  std::optional<std::u16string> m_resourceLocale;
  std::optional<std::vector<uint16_t>> m_systemLanguages;
};

// The rest of the input as UTF-16 text, two bytes a unit.
std::u16string TextOf(const uint8_t* bytes, size_t size) {
  std::u16string text(size / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  FuzzShell shell(input);
  const std::u16string line = TextOf(input.Data(), input.Size());
  // The resource locale of the Windows 9x family is read as text too.
  shell.SetResourceLocale(line.substr(0, 16));
  halvora::CHalvoraApp app(shell, halvora::platform::FormCommandTail(line));
  std::u16string pageDir;
  app.MakePageDirString(pageDir);
  std::u16string tail = line;
  std::u16string value;
  halvora::ParseOptionValue(tail, u"lang_id", value);
  uint16_t language = 0;
  if (halvora::ReadLangId(value, language)) halvora::FormatLangId(language);
  return 0;
}
