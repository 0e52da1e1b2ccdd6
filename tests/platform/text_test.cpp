#include "platform/text.h"

#include <gtest/gtest.h>

namespace halvora::platform {
namespace {

TEST(Text, RoundTripsEveryPlane) {
  const std::u16string text = u"Weiter > \u00e9\u65e5\u672c\U0001F600 x";
  EXPECT_EQ(Utf16(Utf8(text)), text);
  EXPECT_EQ(Utf8(u"\u00e9"), "\xc3\xa9");
  EXPECT_EQ(Utf8(u"\U0001F600"), "\xf0\x9f\x98\x80");
}

TEST(Text, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf16("a\xff" "b"), u"a\ufffd" u"b");
  EXPECT_EQ(Utf16("\xc3"), u"\ufffd");            // cut sequence
  EXPECT_EQ(Utf16("\xc0\xaf"), u"\ufffd\ufffd");  // overlong form
  EXPECT_EQ(Utf16("\xed\xa0\x80"), u"\ufffd\ufffd\ufffd");  // encoded surrogate
  EXPECT_EQ(Utf8(std::u16string(1, char16_t(0xD800))), "\xef\xbf\xbd");  // lone surrogate
}

}  // namespace
}  // namespace halvora::platform
