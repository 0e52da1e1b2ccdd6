#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/picture/bmp_bytes.h"
#include "tests/picture/temp_folder.h"
#include "tests/viewer/dialog_rig.h"

namespace halvora::viewer {
namespace {

using picture::testing::SolidBmp24;
using picture::testing::TempFolder;
using platform::headless::kDialogBackground;
using platform::headless::Rgb;
using testing::DialogRig;
using testing::kFrameBounds;

constexpr Rgb kRed{200, 0, 0};
constexpr Rgb kBlue{0, 0, 200};

struct PagesOnDisk {
  PagesOnDisk() {
    folder.Write("a.bmp", SolidBmp24(6, 4, {kRed.r, kRed.g, kRed.b}));
    folder.MakeFolder("x.jpg");
    folder.Write("corrupt.jpg", {0xFF, 0xD8, 0xFF, 0x00});
    folder.Write("c.bmp", SolidBmp24(3, 9, {kBlue.r, kBlue.g, kBlue.b}));
  }
  TempFolder folder;
};

TEST(DialogPaintingTest, EachPageFillsTheFrameAndFailedPagesLeaveItBlank) {
  PagesOnDisk pages;
  DialogRig rig({u"a.bmp", u"x.jpg", u"corrupt.jpg", u"c.bmp"}, pages.folder.Prefix());
  ASSERT_TRUE(rig.host.Paint());
  EXPECT_TRUE(rig.Frame().IsFilledWith(kRed));

  // The folder named like a picture fails to load, the corrupt JPEG loads
  // without a picture: both repaint the frame blank and paging goes on.
  const std::vector<Rgb> forward = {kDialogBackground, kDialogBackground, kBlue};
  for (const Rgb& expected : forward) {
    rig.host.Click(kNextButtonId);
    ASSERT_TRUE(rig.host.Paint());
    EXPECT_TRUE(rig.Frame().IsFilledWith(expected));
  }
  rig.host.Click(kPreviousButtonId);
  ASSERT_TRUE(rig.host.Paint());
  EXPECT_TRUE(rig.Frame().IsFilledWith(kDialogBackground));
  EXPECT_EQ(rig.dialog.CurrentPage(), pages.folder.Prefix() + u"corrupt.jpg");
}

TEST(DialogPaintingTest, PageChangesInvalidateOnlyTheFrame) {
  PagesOnDisk pages;
  DialogRig rig({u"a.bmp", u"x.jpg", u"c.bmp"}, pages.folder.Prefix());
  rig.host.Click(kNextButtonId);
  rig.host.Click(kNextButtonId);
  const platform::Rect frame{0, 0, kFrameBounds.right, kFrameBounds.bottom};
  const auto& invalidations = rig.host.Invalidations();
  ASSERT_EQ(invalidations.size(), 3u);
  const bool erases[] = {false, true, false};
  for (size_t i = 0; i < invalidations.size(); ++i) {
    EXPECT_EQ(invalidations[i].area.right, frame.right);
    EXPECT_EQ(invalidations[i].area.bottom, frame.bottom);
    EXPECT_EQ(invalidations[i].area.left, 0);
    EXPECT_EQ(invalidations[i].area.top, 0);
    EXPECT_EQ(invalidations[i].erase, erases[i]) << i;
  }
}

TEST(DialogPaintingTest, NoFrameControlMeansNothingDrawnOrInvalidated) {
  PagesOnDisk pages;
  auto setup = testing::TemplateSetup();
  setup.controls.erase(setup.controls.begin());
  DialogRig rig({u"a.bmp", u"c.bmp"}, pages.folder.Prefix(), setup);
  rig.host.Click(kNextButtonId);
  EXPECT_TRUE(rig.host.Invalidations().empty());
  EXPECT_TRUE(rig.host.Paint());
}

struct IconCase {
  platform::Extent client;
  int32_t x;
  int32_t y;
};

class MinimisedPaintTest : public ::testing::TestWithParam<IconCase> {};

// Centred by (size - icon + 1) / 2, truncating toward zero.
TEST_P(MinimisedPaintTest, DrawsOnlyTheIconCentred) {
  PagesOnDisk pages;
  auto setup = testing::TemplateSetup();
  setup.clientSize = GetParam().client;
  DialogRig rig({u"a.bmp"}, pages.folder.Prefix(), setup);
  rig.host.SetIconic(true);
  ASSERT_TRUE(rig.host.Paint());
  EXPECT_EQ(rig.host.IconBackgroundErasures(), 1);
  ASSERT_EQ(rig.host.IconDrawings().size(), 1u);
  EXPECT_EQ(rig.host.IconDrawings()[0].x, GetParam().x);
  EXPECT_EQ(rig.host.IconDrawings()[0].y, GetParam().y);
  EXPECT_EQ(rig.host.IconDrawings()[0].icon, rig.dialog.OnQueryDragIcon());
  EXPECT_EQ(rig.host.Item(kPictureFrameId).Drawings(), 0);
  EXPECT_EQ(rig.host.OpenPaintSessions(), 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, MinimisedPaintTest,
                         ::testing::Values(IconCase{{160, 120}, 64, 44}, IconCase{{161, 121}, 65, 45},
                                           IconCase{{20, 21}, -5, -5}));

TEST(DialogPaintingTest, IconIsSetBigThenSmallAndAnswersTheDragQuery) {
  DialogRig rig({});
  const platform::IconHandle icon = rig.dialog.OnQueryDragIcon();
  EXPECT_NE(icon, platform::IconHandle{});
  using Set = std::pair<platform::IconHandle, bool>;
  EXPECT_EQ(rig.host.IconsSet(), (std::vector<Set>{{icon, true}, {icon, false}}));
}

TEST(DialogPaintingTest, BaseUnitsFollowTheDialogFont) {
  auto setup = testing::TemplateSetup();
  setup.averageCharWidth = 7;  // the alphabet measures 364
  setup.textHeight = 13;
  DialogRig rig({}, u"", setup);
  int x = 0;
  int y = 0;
  rig.dialog.GetBaseUnits(x, y);
  EXPECT_EQ(x, 7);  // (364 / 26 + 1) / 2
  EXPECT_EQ(y, 13);
  EXPECT_EQ(rig.host.SelectedFont(), platform::FontHandle{});
  EXPECT_EQ(rig.host.OpenPaintSessions(), 0);
}

}  // namespace
}  // namespace halvora::viewer
