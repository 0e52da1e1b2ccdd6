// How a decode writes the caller's DIB: line order, padding and bytes outside
// the image left alone, DIBs smaller than the image, channels no component
// fills, MCU-by-MCU decoding, and the DCT method chosen late.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <halvora/jpeg.h>
#include "tests/jpeg/decode_support.h"
#include "tests/jpeg/record.h"

namespace halvora::jpeg {
namespace {

using testing::DecodeIntoDib;
using testing::DibRequest;
using testing::DibResult;
using testing::ImageSamples;

std::vector<uint8_t> Stream(const std::string& name) {
  return testing::ReadFileBytes(testing::OracleFolder() / (name + ".jpg"));
}

struct DibCase {
  const char* stream;
  int color;
  int channels;
};

const DibCase kDibCases[] = {
    {"s420-17x17", JpegColorBgr, 3},  {"s420-17x17", JpegColorRgb, 3},  {"s420-17x17", JpegColorRgba, 4},
    {"s422-7x9", JpegColorBgr, 3},    {"s422-33x65", JpegColorRgba, 4}, {"s444-33x65", JpegColorRgb, 3},
    {"s444-7x9", JpegColorRgba, 4},   {"grey-33x65", JpegColorGrey, 1}, {"grey-17x17", JpegColorBgr, 3},
    {"grey-7x9", JpegColorRgba, 4},   {"rgb-33x65", JpegColorBgr, 3},   {"s420-1000x1", JpegColorBgr, 3},
    {"s420-64x48-restart1", JpegColorBgr, 3},
};

class DibLayoutTest : public ::testing::TestWithParam<DibCase> {
 protected:
  DibRequest Request() const {
    DibRequest request;
    request.color = GetParam().color;
    request.channels = GetParam().channels;
    return request;
  }
};

TEST_P(DibLayoutTest, BottomUpHoldsTheSameRowsReversed) {
  DibRequest topDown = Request();
  DibRequest bottomUp = Request();
  bottomUp.bottom_up = true;
  bottomUp.pad = 3;
  const DibResult a = DecodeIntoDib(Stream(GetParam().stream), topDown);
  const DibResult b = DecodeIntoDib(Stream(GetParam().stream), bottomUp);
  ASSERT_EQ(a.result, JpegSuccess);
  ASSERT_EQ(b.result, JpegSuccess);
  EXPECT_EQ(ImageSamples(a, topDown), ImageSamples(b, bottomUp));
}

// A buffer filled beforehand keeps its padding: only the image's pixels change.
TEST_P(DibLayoutTest, LinePaddingIsNotTouched) {
  for (bool bottomUp : {false, true}) {
    DibRequest request = Request();
    request.bottom_up = bottomUp;
    request.pad = 5;
    request.fill = 0xA5;
    const DibResult dib = DecodeIntoDib(Stream(GetParam().stream), request);
    ASSERT_EQ(dib.result, JpegSuccess);
    const int rowBytes = dib.width * request.channels;
    for (int line = 0; line < dib.dib_height; ++line) {
      for (int i = rowBytes; i < dib.line_bytes; ++i) {
        ASSERT_EQ(dib.pixels[static_cast<size_t>(line * dib.line_bytes + i)], 0xA5) << "line " << line;
      }
    }
  }
}

// A DIB smaller than the image receives the image's top-left part and nothing
// beyond its own lines.
TEST_P(DibLayoutTest, SmallerDibGetsTheTopLeftPart) {
  DibRequest whole = Request();
  const DibResult full = DecodeIntoDib(Stream(GetParam().stream), whole);
  ASSERT_EQ(full.result, JpegSuccess);
  DibRequest part = Request();
  part.dib_width = (full.width + 1) / 2;
  part.dib_height = (full.height + 1) / 2;
  part.fill = 0x5A;
  part.pad = 2;
  const DibResult clipped = DecodeIntoDib(Stream(GetParam().stream), part);
  ASSERT_EQ(clipped.result, JpegSuccess);
  for (int row = 0; row < part.dib_height; ++row) {
    const uint8_t* expected = full.pixels.data() + row * full.line_bytes;
    const uint8_t* got = clipped.pixels.data() + row * clipped.line_bytes;
    ASSERT_EQ(std::vector<uint8_t>(got, got + part.dib_width * part.channels),
              std::vector<uint8_t>(expected, expected + part.dib_width * part.channels))
        << "row " << row;
    for (int i = part.dib_width * part.channels; i < clipped.line_bytes; ++i) ASSERT_EQ(got[i], 0x5A);
  }
}

// With interrupt_request set before every call the image arrives one MCU per
// call, and ends up the same as from one call.
TEST_P(DibLayoutTest, InterruptedDecodeGivesTheSameImage) {
  DibRequest once = Request();
  DibRequest stepwise = Request();
  stepwise.interrupt = true;
  stepwise.bottom_up = true;
  once.bottom_up = true;
  const DibResult a = DecodeIntoDib(Stream(GetParam().stream), once);
  const DibResult b = DecodeIntoDib(Stream(GetParam().stream), stepwise);
  ASSERT_EQ(a.result, JpegSuccess);
  ASSERT_EQ(b.result, JpegSuccess);
  EXPECT_EQ(a.pixels, b.pixels);
  EXPECT_GT(b.interrupted_calls, 0);
}

INSTANTIATE_TEST_SUITE_P(Layouts, DibLayoutTest, ::testing::ValuesIn(kDibCases));

struct McuCount {
  const char* stream;
  int mcu_width;
  int mcu_height;
};

// One call per MCU; the last MCU completes the read instead of interrupting
// it, and `region` names the MCU just written: left and top in MCUs, right
// and bottom the pixel extent through that MCU.
TEST(InterruptTest, ReturnsOncePerMcuWithItsRegion) {
  for (const McuCount& entry : {McuCount{"s420-33x65", 16, 16}, McuCount{"s422-17x17", 16, 8},
                                McuCount{"grey-33x65", 8, 8}, McuCount{"s444-1x1", 8, 8}}) {
    SCOPED_TRACE(entry.stream);
    const std::vector<uint8_t> stream = Stream(entry.stream);
    testing::Record record;
    ASSERT_EQ(record.ReadBuffer(stream, BufferReadParams), JpegSuccess);
    const int width = record->jpeg_width;
    const int height = record->jpeg_height;
    const int across = (width + entry.mcu_width - 1) / entry.mcu_width;
    const int down = (height + entry.mcu_height - 1) / entry.mcu_height;
    std::vector<uint8_t> dib(static_cast<size_t>(width * height * 3));
    record.UseDib(dib, width, height, 3, JpegColorBgr);
    int calls = 0;
    int result = JpegInterruptSuccess;
    while (result == JpegInterruptSuccess && calls <= across * down) {
      record->state.interrupt_request = 1;
      result = record.ReadBuffer(stream, BufferReadImage);
      if (result != JpegInterruptSuccess) break;
      const int column = calls % across;
      const int row = calls / across;
      const JpegRegion& region = record->state.region;
      EXPECT_EQ(region.left, column);
      EXPECT_EQ(region.top, row);
      EXPECT_EQ(region.right, std::min((column * 8 + 8) * entry.mcu_width / 8, width));
      EXPECT_EQ(region.bottom, std::min((row * 8 + 8) * entry.mcu_height / 8, height));
      EXPECT_EQ(record->state.interrupt_request, 0);
      ++calls;
    }
    EXPECT_EQ(result, JpegSuccess);
    EXPECT_EQ(calls, across * down - 1);
  }
}

// With interpolated chroma an MCU is written once the MCUs around it are
// decoded, so the output runs behind the decoding: every interrupted call
// names in `region` MCUs that are already written (their pixels are final),
// and a call that completed none does not interrupt.
TEST(InterruptTest, WithInterpolatedChromaNamesTheMcusWritten) {
  for (const McuCount& entry : {McuCount{"s420-33x65", 16, 16}, McuCount{"s422-33x65", 16, 8}}) {
    SCOPED_TRACE(entry.stream);
    const std::vector<uint8_t> stream = Stream(entry.stream);
    DibRequest smooth;
    smooth.smooth = true;
    const DibResult whole = DecodeIntoDib(stream, smooth);
    ASSERT_EQ(whole.result, JpegSuccess);
    testing::Record record;
    ASSERT_EQ(record.ReadBuffer(stream, BufferReadParams), JpegSuccess);
    const int width = record->jpeg_width;
    std::vector<uint8_t> dib(whole.pixels.size(), 0);
    record.UseDib(dib, width, record->jpeg_height, 3, JpegColorBgr);
    record->state.smooth_upsampling = 1;
    int result = JpegInterruptSuccess;
    for (int calls = 0; result == JpegInterruptSuccess && calls < 1000; ++calls) {
      record->state.interrupt_request = 1;
      result = record.ReadBuffer(stream, BufferReadImage);
      if (result != JpegInterruptSuccess) break;
      const JpegRegion& region = record->state.region;
      for (int y = region.top * entry.mcu_height; y < region.bottom; ++y) {
        for (int x = region.left * entry.mcu_width; x < region.right; ++x) {
          const size_t at = (static_cast<size_t>(y) * width + x) * 3;
          ASSERT_TRUE(std::equal(dib.begin() + at, dib.begin() + at + 3, whole.pixels.begin() + at))
              << "call " << calls << ": pixel " << x << "," << y << " of the MCUs named is not written yet";
        }
      }
    }
    EXPECT_EQ(result, JpegSuccess);
    EXPECT_TRUE(dib == whole.pixels);
  }
}

// Tables are read in the form of the method in force; a method chosen only
// for the image read decodes as if it had been chosen first.
TEST(DctMethodTest, ChosenAfterTheParameterReadDecodesAlike) {
  for (int method : {0, 1}) {
    DibRequest early;
    early.dct_method = method;
    DibRequest late;
    late.dct_method = 1 - method;
    late.image_dct_method = method;
    const DibResult a = DecodeIntoDib(Stream("s420-64x48-q50"), early);
    const DibResult b = DecodeIntoDib(Stream("s420-64x48-q50"), late);
    ASSERT_EQ(a.result, JpegSuccess);
    EXPECT_EQ(a.pixels, b.pixels) << "method " << method;
  }
}

// Channels that no component fills keep what the caller put there.
TEST(ChannelTest, ChannelsWithoutAComponentAreNotTouched) {
  DibRequest request;
  request.jpeg_color = JpegColorOther;
  request.color = JpegColorOther;
  request.channels = 4;
  request.fill = 0x3C;
  const DibResult dib = DecodeIntoDib(Stream("s444-17x17"), request);
  ASSERT_EQ(dib.result, JpegSuccess);
  bool anyWritten = false;
  for (size_t i = 0; i < dib.pixels.size(); i += 4) {
    ASSERT_EQ(dib.pixels[i + 3], 0x3C);
    anyWritten = anyWritten || dib.pixels[i] != 0x3C;
  }
  EXPECT_TRUE(anyWritten);
}

}  // namespace
}  // namespace halvora::jpeg
