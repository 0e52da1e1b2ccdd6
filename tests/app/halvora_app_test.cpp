#include "app/halvora_app.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace halvora {
namespace {

// A shell whose every answer a test sets, and which records what it is asked.
class FakeShell : public platform::ShellPlatform {
 public:
  platform::ExecutablePath executable{u"C:\\Tools\\viewer.exe", 0};
  std::optional<uint16_t> uiLanguage = 0x0409;
  bool windows9x = false;
  std::optional<std::u16string> resourceLocale;
  std::optional<std::vector<uint16_t>> systemLanguages;

  int executableQueries = 0;
  std::vector<uint16_t> threadLanguages;
  std::vector<int> dialogsRun;
  bool controlHostingEnabled = false;

  platform::ExecutablePath GetExecutablePath() override {
    ++executableQueries;
    return executable;
  }
  std::optional<uint16_t> GetUserDefaultUILanguage() override { return uiLanguage; }
  bool IsWindows9xFamily() override { return windows9x; }
  std::optional<std::u16string> ReadResourceLocale() override { return resourceLocale; }
  std::optional<std::vector<uint16_t>> GetSystemResourceLanguages() override { return systemLanguages; }
  void SetThreadLanguage(uint16_t language) override { threadLanguages.push_back(language); }
  void EnableControlHosting() override { controlHostingEnabled = true; }
  intptr_t RunModalDialog(int templateId) override {
    dialogsRun.push_back(templateId);
    if (app != nullptr) pageDirWhenDialogRan = app->GetPageDirString();
    return 2;
  }

  // Set by a test that checks what the dialog would see when it starts.
  const CHalvoraApp* app = nullptr;
  std::u16string pageDirWhenDialogRan;
};

std::u16string PageDir(FakeShell& shell, std::u16string tail, bool* formed = nullptr) {
  CHalvoraApp app(shell, std::move(tail));
  std::u16string out = u"unchanged";
  const bool ok = app.MakePageDirString(out);
  if (formed != nullptr) *formed = ok;
  return out;
}

TEST(PageDirectory, RootFromExecutableFolder) {
  FakeShell shell;
  EXPECT_EQ(PageDir(shell, u""), u"C:\\Tools\\PageData\\0x0409\\");
}

TEST(PageDirectory, RootOptionIsUsedVerbatim) {
  struct Case {
    std::u16string tail, expected;
  };
  for (const Case& c : {Case{u"-root_dir=D:\\Pages\\", u"D:\\Pages\\PageData\\0x0409\\"},
                        Case{u"-root_dir=D:\\Pages", u"D:\\PagesPageData\\0x0409\\"},
                        Case{u"-root_dir=", u"PageData\\0x0409\\"},
                        Case{u"-root_dir", u"PageData\\0x0409\\"}}) {
    FakeShell shell;
    SCOPED_TRACE(std::string(c.tail.begin(), c.tail.end()));
    EXPECT_EQ(PageDir(shell, c.tail), c.expected);
    EXPECT_EQ(shell.executableQueries, 0) << "the executable's path is not consulted with root_dir";
  }
}

TEST(PageDirectory, NoExecutableFolderLeavesPathEmptyAndLangIdUnconsumed) {
  for (const std::u16string& path : {std::u16string(), std::u16string(u"viewer.exe")}) {
    FakeShell shell;
    shell.executable = {path, path.empty() ? 5u : 0u};
    CHalvoraApp app(shell, u"-lang_id=0x0411");
    std::u16string out = u"unchanged";
    EXPECT_FALSE(app.MakePageDirString(out));
    EXPECT_EQ(out, u"unchanged");
    EXPECT_EQ(app.commandTail(), u"-lang_id=0x0411");
    EXPECT_TRUE(shell.threadLanguages.empty());
  }
}

TEST(PageDirectory, RootDirIsConsumedBeforeLangIdIsSought) {
  FakeShell shell;
  // The only lang_id is inside the root_dir value, so it goes with that value.
  EXPECT_EQ(PageDir(shell, u"-root_dir=X\\-lang_id=0x0411\\"), u"X\\-lang_id=0x0411\\PageData\\0x0409\\");
  EXPECT_TRUE(shell.threadLanguages.empty());
}

TEST(PageDirectory, BothOptionsInEitherOrder) {
  FakeShell shell;
  CHalvoraApp app(shell, u"-lang_id=0x0411 -root_dir=D:\\Pages\\");
  std::u16string out;
  ASSERT_TRUE(app.MakePageDirString(out));
  EXPECT_EQ(out, u"D:\\Pages\\PageData\\0x0411\\");
  EXPECT_EQ(app.commandTail(), u"");
}

struct LangIdCase {
  std::u16string text;
  std::u16string folder;
  std::optional<uint16_t> locale;
};

TEST(LangId, FolderIsTheTextAsTypedAndLocaleIsTheIdentifier) {
  for (const LangIdCase& c : {LangIdCase{u"0x0411", u"0x0411", 0x0411},
                              LangIdCase{u"0x411", u"0x411", 0x0411},
                              LangIdCase{u"0x0C0A", u"0x0C0A", 0x0c0a},
                              LangIdCase{u"0x00001234", u"0x00001234", 0x0000},
                              LangIdCase{u"0x12zz", u"0x12zz", 0x0012},
                              LangIdCase{u"1033", u"1033", std::nullopt},
                              LangIdCase{u"0X0409", u"0X0409", std::nullopt},
                              LangIdCase{u"0x", u"0x", std::nullopt},
                              LangIdCase{u"", u"", std::nullopt}}) {
    SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
    FakeShell shell;
    shell.uiLanguage = 0x0809;
    CHalvoraApp app(shell, u"-lang_id=" + c.text);
    EXPECT_EQ(app.MakeLangIdString(), c.folder);
    if (c.locale) {
      EXPECT_EQ(shell.threadLanguages, std::vector<uint16_t>{*c.locale});
    } else {
      EXPECT_TRUE(shell.threadLanguages.empty());
    }
  }
}

TEST(LangId, DetectedLanguageFormsTheFolderAndLeavesTheLocale) {
  FakeShell shell;
  shell.uiLanguage = 0x0809;
  CHalvoraApp app(shell, u"");
  EXPECT_EQ(app.MakeLangIdString(), u"0x0809");
  EXPECT_TRUE(shell.threadLanguages.empty());
}

TEST(LangId, FormatIsLowerCaseFourDigits) {
  EXPECT_EQ(FormatLangId(0x0c0a), u"0x0c0a");
  EXPECT_EQ(FormatLangId(0x0404), u"0x0404");
  EXPECT_EQ(FormatLangId(0), u"0x0000");
  EXPECT_EQ(FormatLangId(0xFFFF), u"0xffff");
}

TEST(DetectUILanguage, UserDefaultUILanguageWinsWhenPresent) {
  FakeShell shell;
  shell.uiLanguage = 0x0411;
  shell.windows9x = true;
  shell.resourceLocale = u"00000407";
  EXPECT_EQ(CHalvoraApp(shell, u"").DetectUILanguage(), 0x0411);
}

TEST(DetectUILanguage, Windows9xReadsTheResourceLocale) {
  struct Case {
    std::optional<std::u16string> value;
    uint16_t expected;
  };
  for (const Case& c : {Case{u"00000407", 0x0407}, Case{u"  411", 0x0411}, Case{u"0x0c0a", 0x0c0a},
                        Case{u"12340411", 0x0411}, Case{u"zz", 0x0409}, Case{u"", 0x0409},
                        Case{std::nullopt, 0x0409}}) {
    FakeShell shell;
    shell.uiLanguage.reset();
    shell.windows9x = true;
    shell.resourceLocale = c.value;
    shell.systemLanguages = std::vector<uint16_t>{0x0412};
    EXPECT_EQ(CHalvoraApp(shell, u"").DetectUILanguage(), c.expected);
  }
}

TEST(DetectUILanguage, NtFamilyTakesTheLastSystemLanguage) {
  struct Case {
    std::optional<std::vector<uint16_t>> languages;
    uint16_t expected;
  };
  for (const Case& c : {Case{std::vector<uint16_t>{0x0407, 0x0419}, 0x0419},
                        Case{std::vector<uint16_t>{}, 0x0409}, Case{std::nullopt, 0x0409},
                        Case{std::vector<uint16_t>{0}, 0}}) {
    FakeShell shell;
    shell.uiLanguage.reset();
    shell.systemLanguages = c.languages;
    EXPECT_EQ(CHalvoraApp(shell, u"").DetectUILanguage(), c.expected);
  }
}

TEST(ScanHex, BehavesLikeAHexScan) {
  uint32_t n = 0;
  EXPECT_TRUE(ScanHex(u"  1aF", n));
  EXPECT_EQ(n, 0x1afu);
  EXPECT_TRUE(ScanHex(u"0X10", n));
  EXPECT_EQ(n, 0x10u);
  EXPECT_TRUE(ScanHex(u"0xg", n));
  EXPECT_EQ(n, 0u);
  EXPECT_TRUE(ScanHex(u"-1", n));
  EXPECT_EQ(n, 0xFFFFFFFFu);
  EXPECT_FALSE(ScanHex(u"g1", n));
  EXPECT_FALSE(ScanHex(u"", n));
}

TEST(Startup, FormsThePathThenRunsDialog102AndAsksForNoMessageLoop) {
  FakeShell shell;
  CHalvoraApp app(shell, u"-root_dir=R\\ -lang_id=0x0411");
  shell.app = &app;
  EXPECT_FALSE(app.Startup());
  EXPECT_EQ(shell.pageDirWhenDialogRan, u"R\\PageData\\0x0411\\");
  EXPECT_TRUE(shell.controlHostingEnabled);
  EXPECT_EQ(shell.dialogsRun, std::vector<int>{kInstructionDialogTemplate});
  EXPECT_EQ(app.GetPageDirString(), u"R\\PageData\\0x0411\\");
  EXPECT_EQ(shell.threadLanguages, std::vector<uint16_t>{0x0411});
}

TEST(Startup, RunsTheDialogEvenWithoutAPageFolder) {
  FakeShell shell;
  shell.executable = {u"", 2};
  CHalvoraApp app(shell, u"");
  EXPECT_FALSE(app.Startup());
  EXPECT_EQ(shell.dialogsRun.size(), 1u);
  EXPECT_EQ(app.GetPageDirString(), u"");
}

}  // namespace
}  // namespace halvora
