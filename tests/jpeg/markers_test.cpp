#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <halvora/jpeg.h>
#include "jpeg/interface/private_state.h"
#include "tests/jpeg/record.h"
#include "tests/jpeg/stream_builder.h"

namespace halvora::jpeg {
namespace {

using testing::Record;
using testing::StreamBuilder;

std::vector<uint8_t> Payload(std::initializer_list<int> bytes) {
  std::vector<uint8_t> out;
  for (int b : bytes) out.push_back(static_cast<uint8_t>(b));
  return out;
}

// A DHT payload of `fullTables` tables of 256 codes of length 8 and one more of
// `lastCount` codes.
std::vector<uint8_t> DhtPayload(int fullTables, int lastCount) {
  std::vector<uint8_t> payload;
  auto table = [&payload](int id, int count) {
    payload.push_back(static_cast<uint8_t>(0x10 | id));
    std::vector<uint8_t> bits(16, 0);
    // Up to 254 codes of length 8, the rest of length 9: within the code space.
    bits[7] = static_cast<uint8_t>(std::min(count, 254));
    bits[8] = static_cast<uint8_t>(count - std::min(count, 254));
    payload.insert(payload.end(), bits.begin(), bits.end());
    for (int i = 0; i < count; ++i) payload.push_back(static_cast<uint8_t>(i));
  };
  for (int i = 0; i < fullTables; ++i) table(i, 256);
  table(fullTables, lastCount);
  return payload;
}

struct SegmentCase {
  const char* name;
  std::vector<uint8_t> stream;
  int expected;
};

class SegmentTest : public ::testing::TestWithParam<SegmentCase> {};

TEST_P(SegmentTest, ParameterReadGivesTheCode) {
  Record record;
  EXPECT_EQ(record.ReadBuffer(GetParam().stream), GetParam().expected);
}

StreamBuilder Start() { return std::move(StreamBuilder().Soi()); }

std::vector<uint8_t> WithFrame(int kind, std::initializer_list<testing::FrameComponent> components,
                               std::initializer_list<testing::ScanSelector> scan, int ss = 0, int se = 63,
                               int ah = 0, int al = 0) {
  return Start().Dqt(0).Dht(0, 0).Dht(1, 0).Sof(kind, 8, 8, components).Sos(scan, ss, se, ah, al).bytes();
}

std::vector<uint8_t> Baseline() { return Start().BaselineHeader().BaselineScan().bytes(); }

INSTANTIATE_TEST_SUITE_P(
    Malformed, SegmentTest,
    ::testing::Values(
        SegmentCase{"Valid", Baseline(), JpegSuccess},
        SegmentCase{"NotJpeg", StreamBuilder().Raw({0x00, 0x01}).Jfif().BaselineHeader().BaselineScan().bytes(),
                    JpegErrNotJpeg},
        SegmentCase{"BytesBeforeSoi", StreamBuilder().Raw({0x00, 0x01}).Soi().BaselineHeader().BaselineScan().bytes(),
                    JpegSuccess},
        SegmentCase{"EndsBeforeTheScan", Start().BaselineHeader().bytes(), JpegErrMemory},
        SegmentCase{"FillBytesAndStuffedZeros",
                    Start().Raw({0xFF, 0xFF, 0x00, 0xFF, 0x00}).BaselineHeader().Raw({0xFF, 0xFF}).BaselineScan()
                        .bytes(),
                    JpegSuccess},
        SegmentCase{"LengthBelowTwo", Start().SegmentWithLength(0xDB, 1, {}).bytes(), JpegErrData},
        SegmentCase{"SegmentPastTheEnd", Start().SegmentWithLength(0xDB, 200, Payload({0, 1})).bytes(),
                    JpegErrData},
        SegmentCase{"DqtIdentifier4", Start().Dqt(4).bytes(), JpegErrBadQuantTable},
        SegmentCase{"DqtPayload517", Start().Segment(0xDB, std::vector<uint8_t>(517, 0)).bytes(), JpegErrData},
        SegmentCase{"DqtTableCutOff", Start().Segment(0xDB, std::vector<uint8_t>(40, 0)).bytes(), JpegErrData},
        SegmentCase{"DqtSecondTableCutOff", Start().Segment(0xDB, std::vector<uint8_t>(66, 0)).bytes(),
                    JpegErrData},
        SegmentCase{"DhtIdentifier4", Start().Dht(0, 4).bytes(), JpegErrBadHuffmanTable},
        SegmentCase{"DhtClass2", Start().Dht(2, 0).bytes(), JpegErrBadHuffmanTable},
        SegmentCase{"DhtPayload1091", Start().Segment(0xC4, DhtPayload(3, 255)).BaselineHeader().BaselineScan()
                                          .bytes(),
                    JpegSuccess},
        SegmentCase{"DhtPayload1092", Start().Segment(0xC4, DhtPayload(3, 256)).bytes(), JpegErrData},
        SegmentCase{"DhtCountsCutOff", Start().Segment(0xC4, Payload({0x00, 1, 2, 3})).bytes(), JpegErrData},
        SegmentCase{"DhtSymbolsCutOff", Start().Segment(0xC4, Payload({0x00, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                                       0, 0, 0, 1})).bytes(),
                    JpegErrData},
        SegmentCase{"DhtOverSubscribed", Start().Segment(0xC4, Payload({0x00, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                                        0, 0, 0, 0, 1, 2, 3})).bytes(),
                    JpegErrBadHuffmanTable},
        SegmentCase{"DriCutOff", Start().Segment(0xDD, Payload({0})).bytes(), JpegErrData},
        SegmentCase{"Precision12", Start().Sof(1, 8, 8, {{1, 1, 1, 0}}, 12).bytes(), JpegErrUnsupportedFrame},
        SegmentCase{"HeightZero", Start().Sof(0, 8, 0, {{1, 1, 1, 0}}).bytes(), JpegErrDnl},
        SegmentCase{"WidthZero", Start().Sof(0, 0, 8, {{1, 1, 1, 0}}).bytes(), JpegErrSof},
        SegmentCase{"NoComponents", Start().Sof(0, 8, 8, {}).bytes(), JpegErrComp},
        SegmentCase{"FiveComponents",
                    Start().Sof(0, 8, 8, {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}, {4, 1, 1, 0}, {5, 1, 1, 0}})
                        .bytes(),
                    JpegErrComp},
        SegmentCase{"SofCutOff", Start().Segment(0xC0, Payload({8, 0, 8, 0, 8, 2, 1, 0x11, 0})).bytes(),
                    JpegErrData},
        SegmentCase{"SamplingZero", Start().Sof(0, 8, 8, {{1, 0, 1, 0}}).bytes(), JpegErrSof},
        SegmentCase{"SamplingFive", Start().Sof(0, 8, 8, {{1, 1, 5, 0}}).bytes(), JpegErrSof},
        SegmentCase{"ElevenBlocksPerMcu", Start().Sof(0, 8, 8, {{1, 4, 2, 0}, {2, 2, 1, 0}, {3, 1, 1, 0}}).bytes(),
                    JpegErrSof},
        SegmentCase{"Lossless", Start().Sof(3, 8, 8, {{1, 1, 1, 0}}).bytes(), JpegErrUnsupportedFrame},
        SegmentCase{"Arithmetic", Start().Sof(9, 8, 8, {{1, 1, 1, 0}}).bytes(), JpegErrUnsupportedFrame},
        SegmentCase{"ScanBeforeFrame", Start().BaselineScan().bytes(), JpegErrNoFrame},
        SegmentCase{"ScanWithoutComponents", WithFrame(0, {{1, 1, 1, 0}}, {}), JpegErrComp},
        SegmentCase{"ScanOfFiveComponents",
                    WithFrame(0, {{1, 1, 1, 0}}, {{1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0}}),
                    JpegErrComp},
        SegmentCase{"ScanDcTable4", WithFrame(0, {{1, 1, 1, 0}}, {{1, 4, 0}}), JpegErrData},
        SegmentCase{"ScanAcTable4", WithFrame(0, {{1, 1, 1, 0}}, {{1, 0, 4}}), JpegErrData},
        SegmentCase{"ScanOfAbsentComponent", WithFrame(0, {{1, 1, 1, 0}}, {{7, 0, 0}}), JpegErrData},
        SegmentCase{"ComponentQuantTable4", WithFrame(0, {{1, 1, 1, 4}}, {{1, 0, 0}}), JpegErrData},
        SegmentCase{"UnscannedComponentQuantTable21", WithFrame(0, {{1, 1, 1, 0}, {2, 1, 1, 21}}, {{1, 0, 0}}),
                    JpegErrData},
        SegmentCase{"ScanCutOff",
                    Start().BaselineHeader().Segment(0xDA, Payload({3, 1, 0, 2, 0, 3, 0, 0, 63})).bytes(),
                    JpegErrData},
        SegmentCase{"ScanNamingAComponentTwice", WithFrame(0, {{1, 4, 2, 0}, {2, 1, 1, 0}}, {{1, 0, 0}, {1, 0, 0}}),
                    JpegErrSof},
        SegmentCase{"SpectralStartAfterEnd", WithFrame(2, {{1, 1, 1, 0}}, {{1, 0, 0}}, 5, 4), JpegErrData},
        SegmentCase{"SpectralEnd64", WithFrame(2, {{1, 1, 1, 0}}, {{1, 0, 0}}, 1, 64), JpegErrData},
        SegmentCase{"SpectralStart64", WithFrame(2, {{1, 1, 1, 0}}, {{1, 0, 0}}, 64, 64), JpegErrData},
        SegmentCase{"ApproximationHigh14", WithFrame(2, {{1, 1, 1, 0}}, {{1, 0, 0}}, 0, 0, 14, 0), JpegErrData},
        SegmentCase{"ApproximationLow14", WithFrame(2, {{1, 1, 1, 0}}, {{1, 0, 0}}, 0, 0, 0, 14), JpegErrData},
        SegmentCase{"ProgressiveDcWithAcBand", WithFrame(2, {{1, 1, 1, 0}}, {{1, 0, 0}}, 0, 5), JpegErrData},
        SegmentCase{"ProgressiveDcScan", WithFrame(2, {{1, 1, 1, 0}}, {{1, 0, 0}}, 0, 0, 0, 1), JpegSuccess},
        SegmentCase{"ProgressiveAcBand", WithFrame(2, {{1, 1, 1, 0}}, {{1, 0, 0}}, 1, 5, 1, 0), JpegSuccess},
        SegmentCase{"TablesThenEndOfBuffer", Start().Dqt(0).Dht(0, 0).Eoi().bytes(), JpegErrMemory},
        SegmentCase{"TablesThenNoImage", Start().Dqt(0).Eoi().Com("x").BaselineHeader().bytes(), JpegErrNoImage},
        SegmentCase{"TablesThenImage",
                    Start().Dqt(0).Dht(0, 0).Eoi().Soi().BaselineHeader().BaselineScan().Eoi().bytes(),
                    JpegSuccess}),
    [](const ::testing::TestParamInfo<SegmentCase>& info) { return std::string(info.param.name); });

TEST(ParameterReadTest, ATablesOnlyStreamReportsTheImageThatFollows) {
  Record record;
  const std::vector<uint8_t> stream =
      Start().Dqt(0).Dht(0, 0).Eoi().Soi().BaselineHeader(48, 32).BaselineScan().Eoi().bytes();
  ASSERT_EQ(record.ReadBuffer(stream), JpegSuccess);
  EXPECT_EQ(record->jpeg_width, 48);
  EXPECT_EQ(record->jpeg_height, 32);
}

TEST(ParameterReadTest, HeaderReadEndsAtTheFrame) {
  Record record;
  const std::vector<uint8_t> stream = Start().Dqt(0).Dht(0, 0).Eoi().bytes();
  EXPECT_EQ(record.ReadBuffer(stream, BufferReadHeader), JpegSuccess);
  const std::vector<uint8_t> framed = Start().BaselineHeader(40, 8).BaselineScan().bytes();
  Record framedRecord;
  EXPECT_EQ(framedRecord.ReadBuffer(framed, BufferReadHeader), JpegSuccess);
  EXPECT_EQ(framedRecord->jpeg_width, 0);
}

struct ParamsCase {
  const char* name;
  std::vector<uint8_t> stream;
  int channels;
  int color;
  int subsampling;
  int dibColor = JpegColorBgr;
  int dibChannels = 3;
};

class ParamsTest : public ::testing::TestWithParam<ParamsCase> {};

TEST_P(ParamsTest, ReportsColourAndSampling) {
  Record record;
  ASSERT_EQ(record.ReadBuffer(GetParam().stream), JpegSuccess);
  EXPECT_EQ(record->jpeg_channels, GetParam().channels);
  EXPECT_EQ(record->jpeg_color, GetParam().color);
  EXPECT_EQ(record->jpeg_subsampling, GetParam().subsampling);
  EXPECT_EQ(record->dib_color, GetParam().dibColor);
  EXPECT_EQ(record->dib_channels, GetParam().dibChannels);
}

std::vector<uint8_t> Sampled(std::initializer_list<testing::FrameComponent> components, int adobe = -1) {
  StreamBuilder builder = Start();
  if (adobe >= 0) builder.Adobe(adobe);
  builder.Dqt(0).Dht(0, 0).Dht(1, 0).Sof(0, 8, 8, components).Sos({{1, 0, 0}});
  return builder.bytes();
}

std::vector<uint8_t> ShortAdobe() {
  return Start().Segment(0xEE, Payload({'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0})).BaselineHeader()
      .BaselineScan().bytes();
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ParamsTest,
    ::testing::Values(
        ParamsCase{"Grey", Sampled({{1, 1, 1, 0}}), 1, JpegColorGrey, JpegSubsamplingNone},
        ParamsCase{"GreyOf2x2", Sampled({{1, 2, 2, 0}}), 1, JpegColorGrey, JpegSubsamplingNone},
        ParamsCase{"TwoUnsampled", Sampled({{1, 1, 1, 0}, {2, 1, 1, 0}}), 2, JpegColorYCbCr, JpegSubsamplingNone},
        ParamsCase{"TwoSampled", Sampled({{1, 2, 1, 0}, {2, 1, 1, 0}}), 2, JpegColorYCbCr, JpegSubsamplingOther},
        ParamsCase{"Ycc420", Sampled({{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}), 3, JpegColorYCbCr,
                   JpegSubsampling420},
        ParamsCase{"Ycc422", Sampled({{1, 2, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}), 3, JpegColorYCbCr,
                   JpegSubsampling422},
        ParamsCase{"Ycc440", Sampled({{1, 1, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}), 3, JpegColorYCbCr,
                   JpegSubsamplingOther},
        ParamsCase{"AdobeRgb", Sampled({{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}, 0), 3, JpegColorRgb,
                   JpegSubsamplingNone},
        ParamsCase{"AdobeYcc", Sampled({{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}, 1), 3, JpegColorYCbCr,
                   JpegSubsamplingNone},
        ParamsCase{"AdobeCmyk", Sampled({{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}, {4, 2, 2, 0}}, 0), 4,
                   JpegColorRgba, JpegSubsampling420Four, JpegColorRgba, 4},
        ParamsCase{"AdobeYcck", Sampled({{1, 2, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}, {4, 2, 1, 0}}, 2), 4,
                   JpegColorYCbCrAlpha, JpegSubsampling422Four, JpegColorRgba, 4},
        ParamsCase{"ShortAdobeChangesNothing", ShortAdobe(), 3, JpegColorYCbCr, JpegSubsampling420}),
    [](const ::testing::TestParamInfo<ParamsCase>& info) { return std::string(info.param.name); });

TEST(FrameTest, ASecondSof0ReplacesTheFrameAndALaterSof2IsIgnored) {
  Record record;
  const std::vector<uint8_t> stream = Start()
                                          .Sof(0, 8, 8, {{1, 1, 1, 0}})
                                          .Sof(2, 99, 99, {{1, 1, 1, 0}})
                                          .Sof(0, 24, 16, {{1, 1, 1, 0}})
                                          .Dqt(0)
                                          .Sos({{1, 0, 0}})
                                          .bytes();
  ASSERT_EQ(record.ReadBuffer(stream), JpegSuccess);
  EXPECT_EQ(record->jpeg_width, 24);
  EXPECT_EQ(record->jpeg_height, 16);
  EXPECT_EQ(Private(record.get()).markers.sof_kind, 0);
}

TEST(FrameTest, ReportsRestartIntervalAndMarkers) {
  Record record;
  const std::vector<uint8_t> stream =
      Start().Jfif().Adobe(1).Segment(0xDD, Payload({0, 7})).BaselineHeader().BaselineScan().bytes();
  ASSERT_EQ(record.ReadBuffer(stream), JpegSuccess);
  const MarkerState& markers = Private(record.get()).markers;
  EXPECT_EQ(markers.frame.restart_interval, 7);
  EXPECT_EQ(markers.app0.seen, 1);
  EXPECT_EQ(markers.app14.seen, 1);
  EXPECT_EQ(markers.app14.transform, 1);
}

// ---- Comments ----

std::vector<uint8_t> WithComments(std::initializer_list<std::string> comments) {
  StreamBuilder builder = Start();
  for (const std::string& text : comments) builder.Com(text);
  builder.BaselineHeader().BaselineScan();
  return builder.bytes();
}

TEST(CommentTest, AShortBufferGetsThePrefixAndTheFullLength) {
  Record record;
  std::vector<uint8_t> buffer(64, '#');
  record->state.jpeg_comment = buffer.data();
  record->state.jpeg_comment_size = 40;
  const std::string comment(100, 'c');
  EXPECT_EQ(record.ReadBuffer(WithComments({comment})), JpegErrComment);
  EXPECT_EQ(record->state.jpeg_comment_size, 100);
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 40), std::string(40, 'c'));
  EXPECT_EQ(buffer[40], '#');
}

TEST(CommentTest, IsCopiedWithoutATerminator) {
  Record record;
  std::vector<uint8_t> buffer(16, '#');
  record->state.jpeg_comment = buffer.data();
  record->state.jpeg_comment_size = 16;
  ASSERT_EQ(record.ReadBuffer(WithComments({"hello"})), JpegSuccess);
  EXPECT_EQ(record->state.jpeg_comment_size, 5);
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 6), "hello#");
}

TEST(CommentTest, EveryCommentIsMeasuredAgainstTheCallersCapacity) {
  Record record;
  std::vector<uint8_t> buffer(20, '#');
  record->state.jpeg_comment = buffer.data();
  record->state.jpeg_comment_size = 20;
  EXPECT_EQ(record.ReadBuffer(WithComments({"short", std::string(15, 'x')})), JpegSuccess);
  EXPECT_EQ(record->state.jpeg_comment_size, 15);
  EXPECT_EQ(buffer[15], '#');
}

TEST(CommentTest, IsSkippedWithoutABuffer) {
  Record record;
  EXPECT_EQ(record.ReadBuffer(WithComments({std::string(100, 'c')})), JpegSuccess);
}

// ---- Thumbnails ----

// A 2x2 JFIF thumbnail: pixel k has the bytes 10k+1, 10k+2, 10k+3.
std::vector<uint8_t> ThumbnailPixels() { return Payload({1, 2, 3, 11, 12, 13, 21, 22, 23, 31, 32, 33}); }

std::vector<uint8_t> WithThumbnail() {
  return Start().Jfif(2, 2, ThumbnailPixels()).BaselineHeader().BaselineScan().bytes();
}

struct ThumbnailCase {
  const char* name;
  int color;
  int height;
  std::vector<uint8_t> expected;  // DIB bytes, 2 lines of 2 pixels
};

class ThumbnailTest : public ::testing::TestWithParam<ThumbnailCase> {};

TEST_P(ThumbnailTest, ArrivesInTheDibsOrder) {
  Record record;
  std::vector<uint8_t> dib(12, 0);
  record.UseDib(dib, 2, GetParam().height, 3, GetParam().color);
  ASSERT_EQ(record.ReadBuffer(WithThumbnail(), BufferReadThumbnail), JpegSuccess);
  EXPECT_EQ(record->thumbnail_width, 2);
  EXPECT_EQ(record->thumbnail_height, 2);
  EXPECT_EQ(dib, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, ThumbnailTest,
    ::testing::Values(
        ThumbnailCase{"RgbTopDown", JpegColorRgb, 2, ThumbnailPixels()},
        ThumbnailCase{"BgrTopDown", JpegColorBgr, 2, Payload({3, 2, 1, 13, 12, 11, 23, 22, 21, 33, 32, 31})},
        ThumbnailCase{"RgbBottomUp", JpegColorRgb, -2, Payload({21, 22, 23, 31, 32, 33, 1, 2, 3, 11, 12, 13})},
        ThumbnailCase{"BgrBottomUp", JpegColorBgr, -2, Payload({23, 22, 21, 33, 32, 31, 3, 2, 1, 13, 12, 11})}),
    [](const ::testing::TestParamInfo<ThumbnailCase>& info) { return std::string(info.param.name); });

TEST(ThumbnailTest, ADibTooSmallIsRefusedAndLeftAlone) {
  for (int width : {1, 2}) {
    Record record;
    std::vector<uint8_t> dib(12, 0xEE);
    record.UseDib(dib, width, width == 1 ? 2 : 1, 3, JpegColorRgb);
    EXPECT_EQ(record.ReadBuffer(WithThumbnail(), BufferReadThumbnail), JpegErrThumbnailTooSmall);
    EXPECT_EQ(dib, std::vector<uint8_t>(12, 0xEE));
  }
}

TEST(ThumbnailTest, AParameterReadReportsTheSizeOnly) {
  Record record;
  ASSERT_EQ(record.ReadBuffer(WithThumbnail()), JpegSuccess);
  EXPECT_EQ(record->thumbnail_width, 2);
  EXPECT_EQ(record->thumbnail_height, 2);
}

TEST(ThumbnailTest, APaletteThumbnailIsLookedUp) {
  std::vector<uint8_t> payload = {'J', 'F', 'X', 'X', 0, 0x11, 2, 1};
  for (int i = 0; i < 256; ++i) {
    payload.push_back(static_cast<uint8_t>(i));
    payload.push_back(static_cast<uint8_t>(i + 1));
    payload.push_back(static_cast<uint8_t>(i + 2));
  }
  payload.push_back(5);
  payload.push_back(9);
  Record record;
  std::vector<uint8_t> dib(6, 0);
  record.UseDib(dib, 2, 1, 3, JpegColorBgr);
  const std::vector<uint8_t> stream = Start().Segment(0xE0, payload).BaselineHeader().BaselineScan().bytes();
  ASSERT_EQ(record.ReadBuffer(stream, BufferReadThumbnail), JpegSuccess);
  EXPECT_EQ(record->thumbnail_width, 2);
  EXPECT_EQ(record->thumbnail_height, 1);
  EXPECT_EQ(dib, Payload({7, 6, 5, 11, 10, 9}));
}

TEST(ThumbnailTest, AnRgbExtensionThumbnailIsWritten) {
  std::vector<uint8_t> payload = {'J', 'F', 'X', 'X', 0, 0x13, 1, 1, 40, 50, 60};
  payload.resize(14, 0);
  Record record;
  std::vector<uint8_t> dib(3, 0);
  record.UseDib(dib, 1, 1, 3, JpegColorRgb);
  const std::vector<uint8_t> stream = Start().Segment(0xE0, payload).BaselineHeader().BaselineScan().bytes();
  ASSERT_EQ(record.ReadBuffer(stream, BufferReadThumbnail), JpegSuccess);
  EXPECT_EQ(dib, Payload({40, 50, 60}));
}

// ---- Reads that follow one another ----

TEST(ImageReadTest, StartsAtTheScanTheParameterReadStoppedAt) {
  Record record;
  const std::vector<uint8_t> stream = Start().BaselineHeader().BaselineScan().Raw({0x00, 0x00}).Eoi().bytes();
  ASSERT_EQ(record.ReadBuffer(stream), JpegSuccess);
  std::vector<uint8_t> dib(16 * 16 * 3);
  record.UseDib(dib, 16, -16, 3, JpegColorBgr);
  // The image read decodes the scan the parameter read stopped at, with the
  // tables and the frame that read kept.
  EXPECT_EQ(record.ReadBuffer(stream, BufferReadImage), JpegSuccess);
}

}  // namespace
}  // namespace halvora::jpeg
