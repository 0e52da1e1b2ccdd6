#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/text.h"
#include "tests/viewer/dialog_rig.h"

namespace halvora::viewer {
namespace {

using testing::DialogRig;
using testing::kFinishText;
using testing::kNextText;

const std::u16string kDir = u"C:\\Pages\\";

// A script of clicks from the dialog's start: 'N' "Next >", 'P' "< Previous",
// 'p' the previous handler called directly (the button may be hidden).
struct StateCase {
  const char* name;
  std::vector<std::u16string> folder;
  std::string clicks;
  std::u16string current;  // file name, empty for no page
  bool previousShown;
  bool finish;
};

void PrintTo(const StateCase& c, std::ostream* os) { *os << c.name; }

class DialogStateTest : public ::testing::TestWithParam<StateCase> {};

TEST_P(DialogStateTest, ButtonsFollowThePosition) {
  const StateCase& c = GetParam();
  DialogRig rig(c.folder);
  for (char click : c.clicks) {
    if (click == 'N') rig.host.Click(kNextButtonId);
    if (click == 'P') rig.host.Click(kPreviousButtonId);
    if (click == 'p') rig.dialog.OnPrevious();
  }
  EXPECT_EQ(rig.dialog.CurrentPage(), c.current.empty() ? u"" : kDir + c.current);
  EXPECT_EQ(rig.PreviousShown(), c.previousShown);
  EXPECT_EQ(rig.PreviousHidden(), !c.previousShown);
  EXPECT_EQ(rig.NextText(), c.finish ? kFinishText : kNextText);
  EXPECT_FALSE(rig.host.Result().has_value());
}

const std::vector<std::u16string> kThree = {u"a.jpg", u"b.jpg", u"c.jpg"};

INSTANTIATE_TEST_SUITE_P(
    States, DialogStateTest,
    ::testing::Values(
        StateCase{"NoPageFile", {u"notes.txt", u"c.jpeg"}, "", u"", false, true},
        StateCase{"FolderUnreadable", {}, "", u"", false, true},
        StateCase{"NoPagesPreviousHidden", {u"notes.txt"}, "P", u"", false, true},
        StateCase{"SinglePage", {u"a.jpg"}, "", u"a.jpg", false, true},
        StateCase{"FirstOfSeveral", kThree, "", u"a.jpg", false, false},
        StateCase{"Middle", kThree, "N", u"b.jpg", true, false},
        StateCase{"Last", kThree, "NN", u"c.jpg", true, true},
        StateCase{"BackToFirst", kThree, "NP", u"a.jpg", false, false},
        StateCase{"BackFromLast", kThree, "NNP", u"b.jpg", true, false},
        StateCase{"PreviousOnFirstDoesNothing", kThree, "p", u"a.jpg", false, false},
        StateCase{"TwoPagesForward", {u"a.jpg", u"b.bmp"}, "N", u"b.bmp", true, true},
        StateCase{"TwoPagesBack", {u"a.jpg", u"b.bmp"}, "NP", u"a.jpg", false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DialogNavigationTest, PagesKeepTheEnumerationOrder) {
  DialogRig rig({u"a.jpg", u"notes.txt", u"b.BMP", u"c.jpeg"});
  EXPECT_EQ(rig.folderLog.patterns, std::vector<std::u16string>{kDir + u"*.*"});
  EXPECT_EQ(rig.dialog.CurrentPage(), kDir + u"a.jpg");
  rig.host.Click(kNextButtonId);
  EXPECT_EQ(rig.dialog.CurrentPage(), kDir + u"b.BMP");
  EXPECT_EQ(rig.NextText(), kFinishText);
  EXPECT_EQ(rig.dialog.PageList(),
            (std::vector<std::u16string>{kDir + u"a.jpg", kDir + u"b.BMP", u"EOL"}));
}

TEST(DialogNavigationTest, EmptyPageFolderPathEnumeratesTheCurrentDirectory) {
  DialogRig rig({u"a.jpg", u"b.bmp"}, u"");
  EXPECT_EQ(rig.folderLog.patterns, std::vector<std::u16string>{u"*.*"});
  EXPECT_EQ(rig.dialog.CurrentPage(), u"a.jpg");
}

TEST(DialogNavigationTest, FinishEndsTheDialogWithOne) {
  for (const auto& folder : {std::vector<std::u16string>{}, std::vector<std::u16string>{u"a.jpg"}}) {
    DialogRig rig(folder);
    rig.host.Click(kNextButtonId);
    EXPECT_EQ(rig.host.Result(), 1);
  }
  DialogRig rig({u"a.jpg", u"b.jpg"});
  rig.host.Click(kNextButtonId);
  EXPECT_FALSE(rig.host.Result().has_value());
  rig.host.Click(kNextButtonId);
  EXPECT_EQ(rig.host.Result(), 1);
}

// The "Finish" state is the button's text: whatever string 2 reads in the
// dialog's language.
TEST(DialogNavigationTest, FinishIsWhateverStringTwoReads) {
  auto setup = testing::TemplateSetup();
  setup.controls.back().text = u"Weiter >";
  setup.strings = {{kNextTextId, u"Weiter >"}, {kFinishTextId, u"Fertigstellen"}};
  DialogRig rig({u"a.jpg", u"b.jpg"}, kDir, setup);
  rig.host.Click(kNextButtonId);
  EXPECT_EQ(rig.NextText(), u"Fertigstellen");
  rig.host.Click(kPreviousButtonId);
  EXPECT_EQ(rig.NextText(), u"Weiter >");
  rig.host.Click(kNextButtonId);
  rig.host.Click(kNextButtonId);
  EXPECT_EQ(rig.host.Result(), 1);
}

TEST(DialogNavigationTest, CancelEndsTheDialogWithTwoFromAnyState) {
  for (const std::string clicks : {"", "N", "NN"}) {
    SCOPED_TRACE(clicks);
    DialogRig rig({u"a.jpg", u"b.jpg", u"c.jpg"});
    for (size_t i = 0; i < clicks.size(); ++i) rig.host.Click(kNextButtonId);
    rig.host.Command(kExitButtonId);
    EXPECT_EQ(rig.host.Result(), 2);
  }
}

TEST(DialogNavigationTest, FocusStartsOnExitAndGoesToNextOnTheFirstPage) {
  DialogRig rig({u"a.jpg", u"b.jpg"});
  EXPECT_EQ(rig.host.FocusedId(), kExitButtonId);
  rig.host.Click(kNextButtonId);
  rig.host.Item(kExitButtonId).Focus();
  rig.host.Click(kPreviousButtonId);
  EXPECT_EQ(rig.host.FocusedId(), kNextButtonId);
}

TEST(DialogNavigationTest, ListGrowsOnEveryForwardMoveWhileTheShownPagesStay) {
  DialogRig rig({u"a.jpg", u"b.jpg", u"c.jpg"});
  const size_t initial = rig.dialog.PageList().size();
  std::vector<std::u16string> shown;
  for (int round = 0; round < 3; ++round) {
    rig.host.Click(kNextButtonId);
    shown.push_back(rig.dialog.CurrentPage());
    rig.host.Click(kPreviousButtonId);
    shown.push_back(rig.dialog.CurrentPage());
  }
  EXPECT_EQ(rig.dialog.PageList().size(), initial + 3);
  for (size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(shown[i], kDir + (i % 2 == 0 ? u"b.jpg" : u"a.jpg")) << i;
  }
}

TEST(DialogNavigationTest, ForwardMovesNeverPassTheEnd) {
  DialogRig rig({u"a.jpg", u"b.jpg"});
  rig.host.Click(kNextButtonId);
  for (int i = 0; i < 3; ++i) {
    std::u16string path;
    EXPECT_FALSE(rig.dialog.GetNextPage(path));
    EXPECT_EQ(path, u"EOL");
  }
  EXPECT_EQ(rig.dialog.CurrentPage(), kDir + u"b.jpg");
  EXPECT_TRUE(rig.dialog.IsLastPage());
}

TEST(DialogNavigationTest, ExhaustedEnumerationAppendsAnEndMarkerEachTime) {
  DialogRig rig({u"a.jpg"});
  EXPECT_FALSE(rig.dialog.FindNextPage());
  EXPECT_FALSE(rig.dialog.FindNextPage());
  EXPECT_EQ(rig.dialog.PageList(),
            (std::vector<std::u16string>{kDir + u"a.jpg", u"EOL", u"EOL", u"EOL"}));
}

TEST(DialogNavigationTest, DestroyingTheWindowClosesTheEnumeration) {
  DialogRig rig({u"a.jpg", u"b.jpg", u"c.jpg"});
  EXPECT_EQ(rig.folderLog.closed, 0);
  rig.host.Destroy();
  EXPECT_EQ(rig.folderLog.closed, 1);
}

}  // namespace
}  // namespace halvora::viewer
