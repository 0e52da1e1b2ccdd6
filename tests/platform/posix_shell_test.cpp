#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/native_shell.h"
#include "platform/posix/locale_names.h"
#include "platform/posix/posix_shell.h"
#include "platform/settings.h"

namespace halvora::platform {
namespace {

// Sets an environment variable for the life of the object, then restores it.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (saved_) {
      setenv(name_, saved_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

TEST(LocaleNames, MapToLanguageIdentifiers) {
  struct Case {
    const char* locale;
    std::optional<uint16_t> id;
  };
  for (const Case& c : {Case{"en_US.UTF-8", 0x0409}, Case{"en_GB.UTF-8", 0x0809}, Case{"de_DE", 0x0407},
                        Case{"de_AT.UTF-8@euro", 0x0c07}, Case{"zh_TW.UTF-8", 0x0404}, Case{"zh_CN.GB2312", 0x0804},
                        Case{"pt_BR.UTF-8", 0x0416}, Case{"ja_JP.eucJP", 0x0411}, Case{"ko_KR", 0x0412},
                        Case{"ru_RU.KOI8-R", 0x0419}, Case{"fr_FR@euro", 0x040c}, Case{"it_IT", 0x0410},
                        Case{"es_ES", 0x0c0a}, Case{"fr_CA", 0x0c0c}, Case{"de_LI", 0x1407},
                        Case{"de", 0x0407}, Case{"de_XX", 0x0407}, Case{"C", 0x0409}, Case{"POSIX", 0x0409},
                        Case{"C.UTF-8", 0x0409}, Case{"", 0x0409}, Case{"xx_YY", std::nullopt}}) {
    SCOPED_TRACE(c.locale);
    EXPECT_EQ(LanguageIdFromLocaleName(c.locale), c.id);
  }
}

TEST(LocaleNames, EnvironmentOrderIsLcAllThenLcMessagesThenLang) {
  {
    ScopedEnv all("LC_ALL", "ja_JP.UTF-8"), messages("LC_MESSAGES", "de_DE"), lang("LANG", "fr_FR");
    EXPECT_EQ(LanguageIdFromEnvironment(), 0x0411);
  }
  {
    ScopedEnv all("LC_ALL", ""), messages("LC_MESSAGES", "de_DE"), lang("LANG", "fr_FR");
    EXPECT_EQ(LanguageIdFromEnvironment(), 0x0407);
  }
  {
    ScopedEnv all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr), lang("LANG", "en_GB.UTF-8");
    EXPECT_EQ(LanguageIdFromEnvironment(), 0x0809);
  }
  {
    ScopedEnv all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr), lang("LANG", nullptr);
    EXPECT_EQ(LanguageIdFromEnvironment(), 0x0409);
  }
  {
    ScopedEnv all("LC_ALL", "tlh_QO"), messages("LC_MESSAGES", nullptr), lang("LANG", nullptr);
    EXPECT_EQ(LanguageIdFromEnvironment(), 0x0409) << "an unknown language falls back to the default";
  }
}

TEST(PosixShell, ReportsTheRunningExecutableInWindowsForm) {
  PosixShell shell;
  const ExecutablePath executable = shell.GetExecutablePath();
  ASSERT_FALSE(executable.path.empty());
  EXPECT_EQ(executable.path[0], u'\\');
  EXPECT_EQ(executable.path.find(u'/'), std::u16string::npos);
  EXPECT_NE(executable.path.find(u"platform_tests"), std::u16string::npos);
}

TEST(PosixShell, LanguageSourcesAndNoDialogs) {
  ScopedEnv all("LC_ALL", "ko_KR.UTF-8");
  const auto shell = CreateNativeShell({});
  EXPECT_EQ(shell->GetUserDefaultUILanguage(), 0x0412);
  EXPECT_FALSE(shell->IsWindows9xFamily());
  EXPECT_EQ(shell->RunModalDialog(102), -1) << "no window system, no pretending";

  PosixShell posix;
  posix.SetThreadLanguage(0x0411);
  EXPECT_EQ(posix.threadLanguage(), 0x0411);
}

TEST(CodecSettings, EnvironmentVariablesStandInForTheRegistry) {
  const auto settings = OpenCodecSettings();
  ASSERT_NE(settings, nullptr);
  struct Case {
    const char* text;
    int32_t value;
  };
  for (const Case& c : {Case{"0", 0}, Case{"6", 6}, Case{"7", 7}, Case{"-3", -3}, Case{"6x", -1},
                        Case{"", -1}, Case{"sse2", -1}, Case{"99999999999", -1}}) {
    ScopedEnv env("HALVORA_JPEG_USECPU", c.text);
    SCOPED_TRACE(c.text);
    EXPECT_EQ(settings->ReadInt32("USECPU"), c.value);
  }
  ScopedEnv unset("HALVORA_JPEG_USECPU", nullptr);
  EXPECT_EQ(settings->ReadInt32("USECPU"), -1);
}

}  // namespace
}  // namespace halvora::platform
