#include "picture/picture_type.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/text.h"

namespace halvora::picture {
namespace {

struct TypeCase {
  std::u16string name;
  int type;
};

void PrintTo(const TypeCase& c, std::ostream* os) { *os << platform::Utf8(c.name); }

class PictureTypeTest : public ::testing::TestWithParam<TypeCase> {};

TEST_P(PictureTypeTest, ExtensionDecides) {
  const TypeCase& c = GetParam();
  SCOPED_TRACE(platform::Utf8(c.name));
  EXPECT_EQ(PictureTypeOf(c.name), c.type);
  EXPECT_EQ(IsPictureFile(c.name), c.type != kPictureNone);
}

INSTANTIATE_TEST_SUITE_P(Names, PictureTypeTest,
                         ::testing::Values(TypeCase{u"Page01.jpg", kPictureJpeg},
                                           TypeCase{u"PAGE01.JPG", kPictureJpeg},
                                           TypeCase{u"a.b.Jpg", kPictureJpeg},
                                           TypeCase{u"C:\\Pages\\x.bmp", kPictureBmp},
                                           TypeCase{u"b.BMP", kPictureBmp},
                                           TypeCase{u"photo.jpeg", kPictureNone},
                                           TypeCase{u"readme", kPictureNone},
                                           TypeCase{u"name.", kPictureNone},
                                           TypeCase{u"jpg", kPictureNone},
                                           TypeCase{u"", kPictureNone},
                                           TypeCase{u".", kPictureNone},
                                           TypeCase{u"..", kPictureNone},
                                           TypeCase{u"x.jpg.txt", kPictureNone},
                                           TypeCase{u"x.jp\u0261", kPictureNone}));

}  // namespace
}  // namespace halvora::picture
