#include "platform/command_tail.h"

#include <gtest/gtest.h>

namespace halvora::platform {
namespace {

TEST(CommandTail, SkipsTheProgramNameAndTheBlanksAfterIt) {
  struct Case {
    std::u16string line, tail;
  };
  for (const Case& c : {Case{u"viewer.exe -root_dir=D:\\", u"-root_dir=D:\\"},
                        Case{u"\"C:\\Program Files\\viewer.exe\"  \t-lang_id=0x0411", u"-lang_id=0x0411"},
                        Case{u"\"C:\\a b\\viewer.exe\"-x", u"-x"},
                        Case{u"\"unterminated name", u""},
                        Case{u"viewer.exe", u""},
                        Case{u"viewer.exe   ", u""},
                        Case{u"", u""},
                        Case{u"viewer.exe a  b ", u"a  b "}}) {
    EXPECT_EQ(FormCommandTail(c.line), c.tail);
  }
}

TEST(CommandTail, ArgumentVectorsJoinWithSingleBlanks) {
  const char* argv[] = {"halvora", "-root_dir=/tmp/x/", "-lang_id=0x0407"};
  EXPECT_EQ(JoinArguments(3, argv), u"-root_dir=/tmp/x/ -lang_id=0x0407");
  EXPECT_EQ(JoinArguments(1, argv), u"");
}

}  // namespace
}  // namespace halvora::platform
