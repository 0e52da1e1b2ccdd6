#include "picture/page_picture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "platform/headless/headless_dialog_host.h"
#include "tests/picture/bmp_bytes.h"
#include "tests/picture/temp_folder.h"

namespace halvora::picture {
namespace {

using platform::headless::HeadlessDialogHost;
using platform::headless::HeadlessDialogSetup;
using platform::headless::HeadlessItem;
using platform::headless::kDialogBackground;
using platform::headless::Rgb;
using testing::BmpFields;
using testing::BmpFile;
using testing::Colour;
using testing::TempFolder;

constexpr int kFrame = 1000;

HeadlessDialogSetup FrameOf(int32_t width, int32_t height) {
  HeadlessDialogSetup setup;
  setup.controls.push_back({kFrame, u"", platform::Rect{0, 0, width, height}, false});
  return setup;
}

// A picture drawing with the headless host's software stretch.
struct Fixture {
  explicit Fixture(int32_t width = 4, int32_t height = 4) : host(FrameOf(width, height)) {}
  HeadlessItem& Frame() { return host.Item(kFrame); }
  bool Load(const std::u16string& path) { return picture.Load(path, header, u"", u""); }

  TempFolder folder;
  HeadlessDialogHost host;
  PagePicture picture{host.OpenStretchDrawer()};
  BitmapInfoHeader header{};
};

bool IsZero(const BitmapInfoHeader& header) {
  static const BitmapInfoHeader kZero{};
  return std::memcmp(&header, &kZero, sizeof header) == 0;
}

TEST(PagePictureTest, LoadsA24BitBmpAndReportsItsHeader) {
  Fixture f;
  BmpFields fields;
  fields.width = 2;
  fields.height = 3;
  fields.sizeImage = 8 * 3;
  fields.xPelsPerMeter = 3780;
  ASSERT_TRUE(f.Load(f.folder.Write("p.bmp", BmpFile(fields, std::vector<uint8_t>(24, 0x40)))));
  EXPECT_TRUE(f.picture.HasPicture());
  EXPECT_EQ(f.header.biSize, 40u);
  EXPECT_EQ(f.header.biWidth, 2);
  EXPECT_EQ(f.header.biHeight, 3);
  EXPECT_EQ(f.header.biBitCount, 24);
  EXPECT_EQ(f.header.biSizeImage, 24u);
  EXPECT_EQ(f.header.biXPelsPerMeter, 3780);
}

TEST(PagePictureTest, UnknownTypeFailsReleasesAndLeavesTheCallersHeader) {
  Fixture f;
  ASSERT_TRUE(f.Load(f.folder.Write("p.bmp", testing::SolidBmp24(2, 2, {255, 0, 0}))));
  BitmapInfoHeader untouched;
  std::memset(&untouched, 0xAB, sizeof untouched);
  BitmapInfoHeader header = untouched;
  EXPECT_FALSE(f.picture.Load(f.folder.Write("notes.txt", {1, 2, 3}), header, u"", u""));
  EXPECT_FALSE(f.picture.HasPicture());
  EXPECT_EQ(std::memcmp(&header, &untouched, sizeof header), 0);
}

TEST(PagePictureTest, ZeroImageSizeFailsButCopiesThatHeader) {
  Fixture f;
  BmpFields fields;
  fields.width = 7;
  fields.sizeImage = 0;
  EXPECT_FALSE(f.Load(f.folder.Write("p.bmp", BmpFile(fields, std::vector<uint8_t>(24)))));
  EXPECT_FALSE(f.picture.HasPicture());
  EXPECT_EQ(f.header.biWidth, 7);
}

// Every refused file leaves no picture, and nothing of the page before it in
// the reported header.
struct RefusedCase {
  const char* name;
  std::vector<uint8_t> bytes;
  bool headerZero;  // no BITMAPINFOHEADER could be taken from the file
};

std::vector<uint8_t> Truncated(std::vector<uint8_t> bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}

std::vector<RefusedCase> RefusedCases() {
  BmpFields small;  // 2 x 2 at 24 bits needs 16 bytes
  small.width = 2;
  small.height = 2;
  small.sizeImage = 16;
  const std::vector<uint8_t> pixels(16, 0x11);
  auto with = [&](auto change) {
    BmpFields f = small;
    change(f);
    return BmpFile(f, pixels);
  };
  return {
      {"ShortFileHeader", Truncated(BmpFile(small, pixels), 10), true},
      {"ShortInfoHeader", Truncated(BmpFile(small, pixels), 30), true},
      {"CoreHeader", with([](BmpFields& f) { f.headerSize = 12; }), true},
      {"ImageSizeBelowRows", with([](BmpFields& f) { f.sizeImage = 15; }), false},
      {"PixelsCutShort", Truncated(BmpFile(small, pixels), 54 + 15), false},
      {"ImageSizeBeyondFile", with([](BmpFields& f) { f.sizeImage = 0xFFFFFFF0; }), false},
      {"RunLengthCompressed", with([](BmpFields& f) { f.compression = 1; }), false},
      {"BitfieldsAt24Bits", with([](BmpFields& f) { f.compression = 3; }), false},
      {"UnknownBitCount", with([](BmpFields& f) { f.bitCount = 7; }), false},
      {"ZeroWidth", with([](BmpFields& f) { f.width = 0; }), false},
      {"NegativeWidth", with([](BmpFields& f) { f.width = -2; }), false},
      {"ZeroHeight", with([](BmpFields& f) { f.height = 0; }), false},
      {"HugeWidth", with([](BmpFields& f) { f.width = 0x7FFFFFFF; }), false},
      {"MissingColourTable",
       with([](BmpFields& f) {
         f.bitCount = 8;
         f.sizeImage = 8;
       }),
       false},
  };
}

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class RefusedBmpTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedBmpTest, LeavesNoPicture) {
  Fixture f;
  ASSERT_TRUE(f.Load(f.folder.Write("first.bmp", testing::SolidBmp24(3, 3, {9, 9, 9}))));
  EXPECT_FALSE(f.Load(f.folder.Write("page.bmp", GetParam().bytes)));
  EXPECT_FALSE(f.picture.HasPicture());
  if (GetParam().headerZero) {
    EXPECT_TRUE(IsZero(f.header));
  } else {
    const uint8_t* width = GetParam().bytes.data() + 18;
    EXPECT_EQ(static_cast<uint32_t>(f.header.biWidth),
              width[0] | width[1] << 8 | width[2] << 16 | static_cast<uint32_t>(width[3]) << 24);
    EXPECT_EQ(f.header.biSize, 40u);
  }
  f.picture.Draw(f.Frame());
  EXPECT_EQ(f.Frame().Drawings(), 0);
}

INSTANTIATE_TEST_SUITE_P(Files, RefusedBmpTest, ::testing::ValuesIn(RefusedCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PagePictureTest, MissingFileAndFolderFail) {
  Fixture f;
  EXPECT_FALSE(f.Load(f.folder.Prefix() + u"absent.bmp"));
  EXPECT_FALSE(f.Load(f.folder.MakeFolder("x.bmp")));
  EXPECT_FALSE(f.Load(f.folder.MakeFolder("x.jpg")));
  EXPECT_FALSE(f.picture.HasPicture());
}

TEST(PagePictureTest, EmptyJpegFails) {
  Fixture f;
  EXPECT_FALSE(f.Load(f.folder.Write("empty.jpg", {})));
  EXPECT_FALSE(f.picture.HasPicture());
}

TEST(PagePictureTest, UndecodableJpegCountsAsLoadedWithNoPicture) {
  Fixture f;
  ASSERT_TRUE(f.Load(f.folder.Write("first.bmp", testing::SolidBmp24(3, 3, {9, 9, 9}))));
  EXPECT_TRUE(f.Load(f.folder.Write("corrupt.jpg", {0xFF, 0xD8, 0x12, 0x34, 0x56})));
  EXPECT_FALSE(f.picture.HasPicture());
  EXPECT_TRUE(IsZero(f.header));
  f.picture.Draw(f.Frame());
  EXPECT_EQ(f.Frame().Drawings(), 0);
  EXPECT_EQ(f.Frame().Validations(), 0);
}

// Every damaged stream of the corpus as a page: the file is read, and the
// page either holds a picture whose header describes exactly the block it
// holds (the stretch reads only that block) or holds nothing.
TEST(PagePictureTest, DamagedJpegPagesDrawOnlyTheBlockTheyHold) {
  const char* corpus = std::getenv("HALVORA_TESTDATA_DIR");
  ASSERT_NE(corpus, nullptr) << "HALVORA_TESTDATA_DIR is not set";
  int pages = 0, pictures = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(corpus) / "damaged")) {
    SCOPED_TRACE(entry.path().filename().string());
    Fixture f(7, 5);
    // An empty file is the one that does not count as read.
    ASSERT_EQ(f.Load(entry.path().u16string()), entry.file_size() != 0);
    ++pages;
    if (!f.picture.HasPicture()) continue;
    const uint32_t stride = (static_cast<uint32_t>(f.header.biWidth) * f.header.biBitCount / 8 + 3) & ~3u;
    EXPECT_EQ(f.header.biSizeImage, stride * static_cast<uint32_t>(f.header.biHeight));
    f.picture.Draw(f.Frame());
    EXPECT_EQ(f.Frame().Drawings(), 1);
    ++pictures;
  }
  EXPECT_GT(pages, 200);
  EXPECT_GT(pictures, 20);
}

// The stretch covers the frame exactly, each pixel taken from the source
// pixel it falls on; the proportions are not kept.
TEST(PagePictureTest, StretchFillsTheWholeFrame) {
  Fixture f(300, 300);
  auto colourAt = [](int32_t x, int32_t y) {
    return Colour{static_cast<uint8_t>(x % 251), static_cast<uint8_t>(y % 241),
                  static_cast<uint8_t>((x / 251) * 16 + (y / 241))};
  };
  ASSERT_TRUE(f.Load(f.folder.Write("wide.bmp", testing::Bmp24(600, 400, colourAt))));
  f.picture.Draw(f.Frame());
  EXPECT_EQ(f.Frame().Drawings(), 1);
  EXPECT_EQ(f.Frame().Validations(), 1);
  const auto& surface = f.Frame().Surface();
  int mismatches = 0;
  for (int32_t y = 0; y < 300; ++y) {
    for (int32_t x = 0; x < 300; ++x) {
      const Colour c = colourAt(x * 600 / 300, y * 400 / 300);
      if (!(surface.At(x, y) == Rgb{c.r, c.g, c.b})) ++mismatches;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(PagePictureTest, NoDrawerOrNoDeviceContextDrawsNothingButValidates) {
  for (const bool drawer : {false, true}) {
    SCOPED_TRACE(drawer ? "no device context" : "no drawer");
    HeadlessDialogSetup setup = FrameOf(4, 4);
    setup.stretchDrawerAvailable = drawer;
    setup.deviceContextsAvailable = !drawer;
    HeadlessDialogHost host(setup);
    PagePicture picture(host.OpenStretchDrawer());
    TempFolder folder;
    BitmapInfoHeader header{};
    ASSERT_TRUE(picture.Load(folder.Write("p.bmp", testing::SolidBmp24(2, 2, {1, 2, 3})), header, u"", u""));
    picture.Draw(host.Item(kFrame));
    EXPECT_EQ(host.Item(kFrame).Validations(), 1);
    EXPECT_TRUE(host.Item(kFrame).Surface().IsFilledWith(kDialogBackground));
  }
}

// Colour tables and channel masks reach the drawing, which reads them behind
// the 40-byte header.
struct ColourCase {
  const char* name;
  std::vector<uint8_t> bytes;
  Rgb left;   // the top line's first pixel
  Rgb right;  // and its second
};

std::vector<uint8_t> Palette(std::initializer_list<Rgb> colours) {
  std::vector<uint8_t> table;
  for (const Rgb& c : colours) table.insert(table.end(), {c.b, c.g, c.r, 0});
  return table;
}

std::vector<ColourCase> ColourCases() {
  BmpFields eight;
  eight.width = 2;
  eight.bitCount = 8;
  eight.sizeImage = 4;
  eight.clrUsed = 3;
  BmpFields one = eight;
  one.bitCount = 1;
  one.clrUsed = 0;
  BmpFields sixteen = eight;
  sixteen.bitCount = 16;
  sixteen.clrUsed = 0;
  BmpFields v5 = sixteen;
  v5.headerSize = 124;
  v5.bitCount = 32;
  v5.compression = 3;
  v5.sizeImage = 8;
  BmpFields v3Masks = v5;
  v3Masks.headerSize = 40;
  // Red in the low byte, blue in the high one: only the masks tell.
  std::vector<uint8_t> masks;
  for (uint32_t mask : {0x000000FFu, 0x0000FF00u, 0x00FF0000u}) testing::PutLe(masks, mask, 4);
  const std::vector<uint8_t> maskedPixels = {10, 20, 30, 0, 200, 100, 50, 0};
  BmpFields hugeCount = eight;
  hugeCount.clrUsed = 0xFFFFFFFF;
  return {
      {"Palette8", BmpFile(eight, {2, 0, 0, 0}, Palette({{1, 1, 1}, {0, 0, 0}, {250, 20, 30}})),
       Rgb{250, 20, 30}, Rgb{1, 1, 1}},
      {"Palette1", BmpFile(one, {0x40, 0, 0, 0}, Palette({{0, 0, 200}, {0, 90, 0}})), Rgb{0, 0, 200},
       Rgb{0, 90, 0}},
      {"PaletteCountBeyondTable",
       BmpFile(hugeCount, {1, 0, 0, 0}, std::vector<uint8_t>(1024, 0x50)), Rgb{0x50, 0x50, 0x50},
       Rgb{0x50, 0x50, 0x50}},
      {"Rgb555", BmpFile(sixteen, {0x00, 0x7C, 0x1F, 0x00}), Rgb{255, 0, 0}, Rgb{0, 0, 255}},
      {"BitfieldsV5Header", BmpFile(v5, maskedPixels, {}, masks), Rgb{10, 20, 30}, Rgb{200, 100, 50}},
      {"BitfieldsBehindHeader", BmpFile(v3Masks, maskedPixels, masks), Rgb{10, 20, 30},
       Rgb{200, 100, 50}},
  };
}

void PrintTo(const ColourCase& c, std::ostream* os) { *os << c.name; }

class BmpColourTest : public ::testing::TestWithParam<ColourCase> {};

TEST_P(BmpColourTest, DrawsTheFilesColours) {
  Fixture f(2, 1);
  ASSERT_TRUE(f.Load(f.folder.Write("p.bmp", GetParam().bytes)));
  EXPECT_EQ(f.header.biSize, 40u);
  EXPECT_LE(f.header.biClrUsed, 256u);
  f.picture.Draw(f.Frame());
  EXPECT_EQ(f.Frame().Surface().At(0, 0), GetParam().left);
  EXPECT_EQ(f.Frame().Surface().At(1, 0), GetParam().right);
}

INSTANTIATE_TEST_SUITE_P(Formats, BmpColourTest, ::testing::ValuesIn(ColourCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PagePictureTest, TopDownRowsDrawUpright) {
  Fixture f(1, 2);
  BmpFields fields;
  fields.height = -2;
  fields.sizeImage = 8;
  ASSERT_TRUE(f.Load(f.folder.Write("p.bmp", BmpFile(fields, {0, 0, 255, 0, 255, 0, 0, 0}))));
  f.picture.Draw(f.Frame());
  EXPECT_EQ(f.Frame().Surface().At(0, 0), (Rgb{255, 0, 0}));
  EXPECT_EQ(f.Frame().Surface().At(0, 1), (Rgb{0, 0, 255}));
}

}  // namespace
}  // namespace halvora::picture
