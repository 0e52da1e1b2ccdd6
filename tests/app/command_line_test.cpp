#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace halvora {
namespace {

struct OptionCase {
  const char* label;
  std::u16string tail;
  std::u16string name;
  bool found;
  std::u16string value;
  std::u16string remaining;
};

void PrintTo(const OptionCase& c, std::ostream* os) { *os << c.label; }

class ParseOptionValueTest : public ::testing::TestWithParam<OptionCase> {};

TEST_P(ParseOptionValueTest, FindsValueAndRemovesOption) {
  const OptionCase& c = GetParam();
  std::u16string tail = c.tail;
  std::u16string value = u"stale";
  EXPECT_EQ(ParseOptionValue(tail, c.name, value), c.found);
  EXPECT_EQ(value, c.value);
  EXPECT_EQ(tail, c.remaining);
}

INSTANTIATE_TEST_SUITE_P(
    Tails, ParseOptionValueTest,
    ::testing::Values(
        OptionCase{"absent", u"-lang_id=0x0411", u"root_dir", false, u"", u"-lang_id=0x0411"},
        OptionCase{"empty tail", u"", u"root_dir", false, u"", u""},
        OptionCase{"dash", u"-root_dir=D:\\Pages\\", u"root_dir", true, u"D:\\Pages\\", u""},
        OptionCase{"slash", u"/root_dir=D:\\Pages\\", u"root_dir", true, u"D:\\Pages\\", u""},
        OptionCase{"case-sensitive", u"-ROOT_DIR=D:\\", u"root_dir", false, u"", u"-ROOT_DIR=D:\\"},
        OptionCase{"value ends at blank, blank removed", u"-lang_id=0x0411 -root_dir=D:\\Pages\\",
                   u"lang_id", true, u"0x0411", u"-root_dir=D:\\Pages\\"},
        OptionCase{"option in the middle", u"a -root_dir=X\\ b", u"root_dir", true, u"X\\", u"a b"},
        OptionCase{"quotes are kept", u"-root_dir=\"C:\\My Pages\\\"", u"root_dir", true, u"\"C:\\My",
                   u"Pages\\\""},
        OptionCase{"empty value with blank", u"-root_dir= rest", u"root_dir", true, u"", u"rest"},
        OptionCase{"empty value at end", u"-root_dir=", u"root_dir", true, u"", u""},
        OptionCase{"prefix match without '='", u"-lang_idx=0x0407", u"lang_id", true, u"", u"x=0x0407"},
        OptionCase{"bare option at end", u"abc -root_dir", u"root_dir", true, u"", u"abc "},
        OptionCase{"inside a word", u"abc-lang_id=0x0407", u"lang_id", true, u"0x0407", u"abc"},
        OptionCase{"second dash", u"--root_dir=D:\\", u"root_dir", true, u"D:\\", u"-"},
        OptionCase{"leftmost of two", u"-lang_id=1 -lang_id=2", u"lang_id", true, u"1", u"-lang_id=2"},
        OptionCase{"tab does not end a value", u"-root_dir=A\ty z", u"root_dir", true, u"A\ty", u"z"},
        OptionCase{"name cut by end of tail", u"-root_di", u"root_dir", false, u"", u"-root_di"}),
    [](const auto& info) {
      std::string name;
      for (const char* p = info.param.label; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

TEST(ParseOptionValue, BothOptionsConsumeTheWholeTail) {
  std::u16string tail = u"-lang_id=0x0411 -root_dir=D:\\Pages\\";
  std::u16string root, language;
  EXPECT_TRUE(ParseOptionValue(tail, u"root_dir", root));
  EXPECT_TRUE(ParseOptionValue(tail, u"lang_id", language));
  EXPECT_EQ(root, u"D:\\Pages\\");
  EXPECT_EQ(language, u"0x0411");
  EXPECT_EQ(tail, u"");
}

}  // namespace
}  // namespace halvora
