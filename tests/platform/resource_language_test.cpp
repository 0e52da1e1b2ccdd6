#include "platform/resource_language.h"

#include <gtest/gtest.h>

namespace halvora::platform {
namespace {

TEST(ChooseResourceLanguage, ExactThenPrimaryLanguageThenEnglish) {
  const std::vector<uint16_t> tenCopies = {0x0404, 0x0407, 0x0409, 0x040c, 0x0410,
                                           0x0411, 0x0412, 0x0419, 0x0804, 0x0c0a};
  struct Case {
    uint16_t requested, served;
  };
  for (const Case& c : {Case{0x0411, 0x0411}, Case{0x0c07, 0x0407}, Case{0x0809, 0x0409}, Case{0x080c, 0x040c},
                        Case{0x080a, 0x0c0a}, Case{0x040a, 0x0c0a}, Case{0x0c04, 0x0404}, Case{0x1004, 0x0804},
                        Case{0x0413, 0x0409}, Case{0x0000, 0x0409}}) {
    EXPECT_EQ(ChooseResourceLanguage(c.requested, tenCopies), c.served) << std::hex << c.requested;
  }
}

TEST(ChooseResourceLanguage, FewCopies) {
  EXPECT_EQ(ChooseResourceLanguage(0x0409, {}), std::nullopt);
  EXPECT_EQ(ChooseResourceLanguage(0x0409, {0x0404}), 0x0404) << "the one copy there is";
  EXPECT_EQ(ChooseResourceLanguage(0x0804, {0x0404, 0x0409}), 0x0404) << "Traditional before English";
}

}  // namespace
}  // namespace halvora::platform
