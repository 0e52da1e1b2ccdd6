// The Win32 shell services, run for real (under Wine in the Linux CI).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/settings.h"
#include "platform/win32/win32_shell.h"

namespace halvora::platform {
namespace {

// A registry key of the test's own, deleted with everything below it at the end.
class ScratchKey {
 public:
  ScratchKey(HKEY root, const wchar_t* path) : root_(root), path_(path) {
    ::RegDeleteTreeW(root_, path_);
    EXPECT_EQ(::RegCreateKeyExW(root_, path_, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr), ERROR_SUCCESS);
  }
  ~ScratchKey() {
    ::RegCloseKey(key_);
    ::RegDeleteTreeW(root_, path_);
  }
  void Set(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(::RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }

 private:
  HKEY root_;
  const wchar_t* path_;
  HKEY key_ = nullptr;
};

TEST(Win32Shell, ExecutablePathNamesThisProgram) {
  Win32Shell shell;
  const ExecutablePath executable = shell.GetExecutablePath();
  ASSERT_FALSE(executable.path.empty());
  EXPECT_EQ(executable.error, 0u);
  EXPECT_NE(executable.path.rfind(u"\\platform_tests.exe"), std::u16string::npos);
}

TEST(Win32Shell, UiLanguageComesFromTheSystemCall) {
  Win32Shell shell;
  EXPECT_EQ(shell.GetUserDefaultUILanguage(), ::GetUserDefaultUILanguage());
  EXPECT_FALSE(shell.IsWindows9xFamily());
  EXPECT_TRUE(shell.GetSystemResourceLanguages().has_value()) << "ntdll.dll is always loaded";
}

TEST(Win32Shell, ResourceLocaleIsReadAsAStringOnly) {
  Win32Shell shell;
  {
    ScratchKey key(HKEY_CURRENT_USER, L"Control Panel\\Desktop\\ResourceLocale");
    key.Set(nullptr, REG_SZ, L"00000407", sizeof L"00000407");
    EXPECT_EQ(shell.ReadResourceLocale(), u"00000407");
    // Stored without its terminator: only the stored characters come back.
    key.Set(nullptr, REG_SZ, L"0411", 4 * sizeof(wchar_t));
    EXPECT_EQ(shell.ReadResourceLocale(), u"0411");
    const DWORD number = 0x0407;
    key.Set(nullptr, REG_DWORD, &number, sizeof number);
    EXPECT_EQ(shell.ReadResourceLocale(), std::nullopt) << "not a string";
    key.Set(nullptr, REG_SZ, L"0123456789abcdef0123", sizeof L"0123456789abcdef0123");
    EXPECT_EQ(shell.ReadResourceLocale(), std::nullopt) << "longer than the 32-byte buffer";
  }
  EXPECT_EQ(shell.ReadResourceLocale(), std::nullopt) << "no key";
}

TEST(Win32Shell, ThreadLanguageBecomesTheThreadLocale) {
  const LCID saved = ::GetThreadLocale();
  Win32Shell shell;
  shell.SetThreadLanguage(0x0411);
  EXPECT_EQ(::GetThreadLocale(), MAKELCID(0x0411, SORT_DEFAULT));
  ::SetThreadLocale(saved);
  EXPECT_EQ(shell.RunModalDialog(102), -1) << "no dialog runner, no pretending";
}

TEST(CodecSettings, UsecpuIsReadFromTheMachineKey) {
  const auto settings = OpenCodecSettings();
  ASSERT_NE(settings, nullptr);
  ScratchKey key(HKEY_LOCAL_MACHINE, L"Software\\Halvora\\JpegCodec");
  const DWORD three = 3;
  key.Set(L"USECPU", REG_DWORD, &three, sizeof three);
  EXPECT_EQ(settings->ReadInt32("USECPU"), 3);
  const DWORD seven = 7;
  key.Set(L"USECPU", REG_DWORD, &seven, sizeof seven);
  EXPECT_EQ(settings->ReadInt32("USECPU"), 7);
  // Text is read as raw bytes over a buffer of -1, so it never names a kind.
  key.Set(L"USECPU", REG_SZ, L"6", sizeof L"6");
  const int32_t text = settings->ReadInt32("USECPU");
  EXPECT_TRUE(text < 0 || text > 6) << text;
  const unsigned long long wide = 2;
  key.Set(L"USECPU", REG_QWORD, &wide, sizeof wide);
  EXPECT_EQ(settings->ReadInt32("USECPU"), -1) << "longer than four bytes";
  EXPECT_EQ(settings->ReadInt32("MISSING"), -1);
}

}  // namespace
}  // namespace halvora::platform
