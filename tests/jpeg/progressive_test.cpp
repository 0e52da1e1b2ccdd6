// Progressive images: the block decoders on hand-made bit strings, the
// transcode identities (jpegtran keeps the coefficients, so a progressive
// transcode decodes like its sequential original), the corpus against
// libjpeg-turbo, interrupted reads, and hostile progressions.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "jpeg/input/bit_reader.h"
#include <halvora/jpeg.h>
#include "jpeg/interface/private_state.h"
#include "jpeg/entropy/progressive_blocks.h"
#include "jpeg/entropy/progressive_scan.h"
#include "jpeg/entropy/sequential_scan.h"
#include "jpeg/input/stream_input.h"
#include "tests/jpeg/decode_support.h"
#include "tests/jpeg/record.h"
#include "tests/jpeg/stream_mutator.h"
#include "tests/jpeg/transcode_cases.h"

namespace halvora::jpeg {
namespace {

namespace fs = std::filesystem;
using testing::DecodeIntoDib;
using testing::DibRequest;
using testing::DibResult;

// ---- Block decoders ----

// A buffer input over `bytes` (entropy-coded data, no stuffing needed).
struct BitSource {
  explicit BitSource(std::vector<uint8_t> data) : bytes(std::move(data)) {
    StartBufferInput(stream, bytes.data(), static_cast<int32_t>(bytes.size()));
  }
  std::vector<uint8_t> bytes;
  JpegStream stream{};
};

// A table whose symbols all have 8-bit codes: code i is symbol symbols[i].
HuffmanDecodeTable EightBitTable(std::initializer_list<uint8_t> symbols, int tableClass) {
  uint8_t bits[16] = {};
  bits[7] = static_cast<uint8_t>(symbols.size());
  std::vector<uint8_t> values(symbols);
  HuffmanDecodeTable table{};
  EXPECT_EQ(BuildHuffmanDecodeTable(bits, values.data(), tableClass, 0, table), JpegSuccess);
  return table;
}

TEST(ProgressiveBlocksTest, DcFirstShiftsThePredictionAndRefineSetsTheBit) {
  const HuffmanDecodeTable dc = EightBitTable({0, 3}, 0);
  // Code 1 (category 3) then bits 101 (+5); then code 0 (category 0).
  BitSource source({0x01, 0xA0, 0x10, 0x00});
  CoefficientBlock block{};
  int16_t prediction = 10;
  ASSERT_EQ(DecodeDcFirst(source.stream, dc, block, prediction, 2), JpegSuccess);
  EXPECT_EQ(prediction, 15);
  EXPECT_EQ(block.values[0], 60);
  ASSERT_EQ(DecodeDcFirst(source.stream, dc, block, prediction, 2), JpegSuccess);
  EXPECT_EQ(block.values[0], 60);
  // The next bit is 1: bit 1 is set.
  ASSERT_EQ(DecodeDcRefine(source.stream, block, 1), JpegSuccess);
  EXPECT_EQ(block.values[0], 62);
}

TEST(ProgressiveBlocksTest, EndOfBandRunLeavesTheFollowingBlocksAlone) {
  // Symbol 0x20: an end-of-band run of 4 + two bits; bits 11 make it 7.
  const HuffmanDecodeTable ac = EightBitTable({0x20}, 1);
  BitSource source({0x00, 0xC0});
  JpegStream& stream = source.stream;
  stream.end_of_band_run = 0;
  CoefficientBlock block{};
  block.values[1] = 9;
  uint64_t nonzero = 2;
  ASSERT_EQ(DecodeAcFirst(stream, block, nonzero, ac, 1, 63, 0), JpegSuccess);
  EXPECT_EQ(stream.end_of_band_run, 6);
  for (int i = 0; i < 6; ++i) ASSERT_EQ(DecodeAcFirst(stream, block, nonzero, ac, 1, 63, 0), JpegSuccess);
  EXPECT_EQ(stream.end_of_band_run, 0);
  EXPECT_EQ(block.values[1], 9);
}

TEST(ProgressiveBlocksTest, RunsPastTheBandStayInsideTheBlock) {
  // Symbol 0xF1 (fifteen zeros, then a value) at position 63 runs to zig-zag
  // index 78, which the padded table keeps at the block's last coefficient.
  const HuffmanDecodeTable ac = EightBitTable({0xF1}, 1);
  BitSource first({0x00, 0x80});
  CoefficientBlock block{};
  uint64_t nonzero = 0;
  ASSERT_EQ(DecodeAcFirst(first.stream, block, nonzero, ac, 63, 63, 0), JpegSuccess);
  EXPECT_EQ(block.values[63], 1);
  EXPECT_EQ(nonzero, uint64_t{1} << 63);
  // In a refinement the walk for the new value leaves the band.
  BitSource second({0x00, 0xC0});
  CoefficientBlock refined{};
  refined.values[63] = 4;
  ASSERT_EQ(DecodeAcRefine(second.stream, refined, nonzero, ac, 60, 63, 2), JpegSuccess);
  EXPECT_EQ(refined.values[63], 4);
  for (int i = 0; i < 63; ++i) EXPECT_EQ(refined.values[i], 0) << i;
}

TEST(ProgressiveBlocksTest, RefinementCorrectsNonzeroCoefficientsAndPlacesNewOnes) {
  // Symbol 0x11: skip one zero, then a new coefficient; bits: sign 1, then a
  // correction bit 1 for the nonzero coefficient passed on the way.
  const HuffmanDecodeTable ac = EightBitTable({0x11, 0x00}, 1);
  // Code 0x00 (0x11), sign 1, correction 1, then code 0x01 (end of band).
  BitSource source({0x00, 0xC0, 0x40, 0x00});
  CoefficientBlock block{};
  block.values[kZigZagToNatural[1]] = -4;  // nonzero: takes the correction bit
  uint64_t nonzero = 2;
  source.stream.end_of_band_run = 0;
  ASSERT_EQ(DecodeAcRefine(source.stream, block, nonzero, ac, 1, 5, 1), JpegSuccess);
  EXPECT_EQ(block.values[kZigZagToNatural[1]], -6);
  // Position 2 is the zero skipped; position 3 takes the new value +2.
  EXPECT_EQ(block.values[kZigZagToNatural[2]], 0);
  EXPECT_EQ(block.values[kZigZagToNatural[3]], 2);
  EXPECT_EQ(nonzero, 0b1010u);
}

// ---- Whole streams ----

fs::path OracleFile(const std::string& name) { return testing::OracleFolder() / name; }

using ProgressiveCase = testing::TranscodeCase;

std::vector<ProgressiveCase> ProgressiveCases() { return testing::ReadTranscodeCases("progressive.tsv", {}); }

std::string CaseName(const ::testing::TestParamInfo<ProgressiveCase>& info) {
  return testing::TestNameOf(info.param.name);
}

bool IsFourComponent(const std::string& name) { return name.find("cmyk") != std::string::npos; }

// DIBs that take every component without a colour conversion, so the
// sequential and the progressive output routines must agree byte for byte:
// the luminance alone, the components as stored (colour data declared RGB,
// grey replicated into BGR), and a four-component image as it is.
std::vector<DibRequest> RequestsFor(const std::string& name) {
  if (IsFourComponent(name)) {
    DibRequest rgba;
    rgba.color = JpegColorRgba;
    rgba.channels = 4;
    return {rgba};
  }
  DibRequest grey;
  grey.color = JpegColorGrey;
  grey.channels = 1;
  DibRequest unconverted;
  if (name.rfind("grey", 0) != 0) unconverted.jpeg_color = JpegColorRgb;
  return {grey, unconverted};
}

// The colour DIB through the colour conversion.
DibRequest ColourRequestFor(const std::string& name) { return RequestsFor(name).back(); }

class ProgressiveTranscodeTest : public ::testing::TestWithParam<ProgressiveCase> {};

TEST_P(ProgressiveTranscodeTest, DecodesLikeItsSequentialOriginal) {
  const std::vector<uint8_t> progressive = testing::ReadFileBytes(OracleFile(GetParam().stream));
  const std::vector<uint8_t> original = testing::ReadFileBytes(OracleFile(GetParam().original));
  for (const DibRequest& request : RequestsFor(GetParam().name)) {
    SCOPED_TRACE("dib_color " + std::to_string(request.color) + " jpeg_color " + std::to_string(request.jpeg_color));
    const DibResult decoded = DecodeIntoDib(progressive, request);
    const DibResult expected = DecodeIntoDib(original, request);
    ASSERT_EQ(expected.result, JpegSuccess);
    ASSERT_EQ(decoded.result, JpegSuccess);
    EXPECT_TRUE(decoded.pixels == expected.pixels)
        << "max difference " << testing::MaxDifference(decoded.pixels, expected.pixels);
  }
}

TEST_P(ProgressiveTranscodeTest, InterruptedReadEqualsOneCall) {
  const std::vector<uint8_t> progressive = testing::ReadFileBytes(OracleFile(GetParam().stream));
  DibRequest request = ColourRequestFor(GetParam().name);
  request.jpeg_color = 0;
  const DibResult whole = DecodeIntoDib(progressive, request);
  request.interrupt = true;
  const DibResult stepped = DecodeIntoDib(progressive, request);
  ASSERT_EQ(stepped.result, JpegSuccess);
  EXPECT_GT(stepped.interrupted_calls, 0);
  EXPECT_TRUE(stepped.pixels == whole.pixels);
}

// A read of `ioType` at `scale` (1, or 2, 4, 8 for the half, quarter or
// eighth size) on a record whose parameter read is done, into a DIB of
// ceil(size / scale), set up as `request` asks; the whole buffer.
struct ReducedRead {
  int result;
  std::vector<uint8_t> pixels;
};
ReducedRead ReadScaled(testing::Record& record, const std::vector<uint8_t>& stream, const DibRequest& request,
                       int ioType, int scale) {
  const int width = (record->jpeg_width + scale - 1) / scale;
  const int height = (record->jpeg_height + scale - 1) / scale;
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) *
                                  static_cast<size_t>(request.channels),
                              0x5A);
  record.UseDib(pixels, width, height, request.channels, request.color);
  if (request.jpeg_color != 0) record->jpeg_color = request.jpeg_color;
  const int result = record.ReadBuffer(stream, ioType);
  return {result, pixels};
}

ReducedRead DecodeReduced(const std::vector<uint8_t>& stream, const DibRequest& request, int ioType, int scale) {
  testing::Record record;
  const int result = record.ReadBuffer(stream, BufferReadParams);
  if (result != JpegSuccess) return {result, {}};
  return ReadScaled(record, stream, request, ioType, scale);
}

TEST_P(ProgressiveTranscodeTest, ReducedReadsDecodeLikeTheOriginal) {
  const std::vector<uint8_t> progressive = testing::ReadFileBytes(OracleFile(GetParam().stream));
  const std::vector<uint8_t> original = testing::ReadFileBytes(OracleFile(GetParam().original));
  const DibRequest request = RequestsFor(GetParam().name).back();
  for (const auto& [ioType, scale] : {std::pair{BufferReadHalf, 2}, {BufferReadQuarter, 4}, {BufferReadEighth, 8}}) {
    SCOPED_TRACE("scale " + std::to_string(scale));
    const ReducedRead decoded = DecodeReduced(progressive, request, ioType, scale);
    const ReducedRead expected = DecodeReduced(original, request, ioType, scale);
    ASSERT_EQ(expected.result, JpegSuccess);
    ASSERT_EQ(decoded.result, JpegSuccess);
    EXPECT_TRUE(decoded.pixels == expected.pixels)
        << "max difference " << testing::MaxDifference(decoded.pixels, expected.pixels);
  }
}

// An eighth-size read passes over the AC scans it shows nothing of. Reads
// that follow on the same record, at full and at eighth size, still give
// what reads on fresh records give: the first decodes the image again, the
// second writes it from the coefficients the first kept.
TEST_P(ProgressiveTranscodeTest, ReadsAfterAnEighthSizeReadShowEveryScan) {
  const std::vector<uint8_t> progressive = testing::ReadFileBytes(OracleFile(GetParam().stream));
  const DibRequest request = ColourRequestFor(GetParam().name);
  const ReducedRead eighth = DecodeReduced(progressive, request, BufferReadEighth, 8);
  const ReducedRead full = DecodeReduced(progressive, request, BufferReadImage, 1);
  ASSERT_EQ(eighth.result, JpegSuccess);
  ASSERT_EQ(full.result, JpegSuccess);
  testing::Record record;
  ASSERT_EQ(record.ReadBuffer(progressive, BufferReadParams), JpegSuccess);
  for (const ReducedRead* expected : {&eighth, &full, &eighth}) {
    const bool isFull = expected == &full;
    const ReducedRead read =
        ReadScaled(record, progressive, request, isFull ? BufferReadImage : BufferReadEighth, isFull ? 1 : 8);
    ASSERT_EQ(read.result, JpegSuccess);
    EXPECT_TRUE(read.pixels == expected->pixels) << (isFull ? "full" : "eighth") << " size, max difference "
                                                 << testing::MaxDifference(read.pixels, expected->pixels);
  }
}

INSTANTIATE_TEST_SUITE_P(Oracle, ProgressiveTranscodeTest, ::testing::ValuesIn(ProgressiveCases()), CaseName);

TEST(ProgressiveOracleData, IsThere) { EXPECT_GE(ProgressiveCases().size(), 100u); }

// ---- The corpus against libjpeg-turbo ----

struct CorpusCase {
  const char* file;
  int tolerance;  // largest difference per sample from libjpeg-turbo's decode
};

// Complete progressive files of one and three components (libjpeg-turbo
// writes no four-component PNM). Files cut before their last scan are left
// out: libjpeg-turbo smooths the blocks of an incomplete image, this codec
// shows the coefficients as they stand.
class ProgressiveCorpusTest : public ::testing::TestWithParam<CorpusCase> {};

TEST_P(ProgressiveCorpusTest, DecodesCloseToLibjpegTurbo) {
  const std::string stem = fs::path(GetParam().file).stem().string();
  testing::Pnm reference;
  ASSERT_TRUE(testing::ReadPnm(OracleFile("corpus-" + stem + ".pnm"), reference)) << "no reference for " << stem;
  DibRequest request;
  request.color = reference.channels == 1 ? JpegColorGrey : JpegColorRgb;
  request.channels = reference.channels;
  const DibResult dib = DecodeIntoDib(testing::ReadFileBytes(testing::CorpusFolder() / GetParam().file), request);
  ASSERT_EQ(dib.result, JpegSuccess);
  const int difference = testing::MaxDifference(testing::ImageSamples(dib, request), reference.samples);
  EXPECT_GE(difference, 0);
  EXPECT_LE(difference, GetParam().tolerance);
}

// Fused and generic green rounding and libjpeg-turbo's own rounding of the
// chroma replication stay within 4.
INSTANTIATE_TEST_SUITE_P(
    Corpus, ProgressiveCorpusTest,
    ::testing::Values(CorpusCase{"valid/deb-testorig-gray-progressive.jpg", 4},
                      CorpusCase{"valid/deb-testorig-progressive-dri1-420.jpg", 4},
                      CorpusCase{"valid/deb-testorig-progressive-testscan-420.jpg", 4},
                      CorpusCase{"valid/deb-testorig-rgb-adobe0-progressive.jpg", 4},
                      CorpusCase{"valid/jd-afl-seed-progressive-4x4-444.jpg", 4},
                      CorpusCase{"valid/jd-afl-seed-window-q0-progressive.jpg", 4},
                      CorpusCase{"valid/jd-its-progressive-16bit-qtables-420.jpg", 4},
                      CorpusCase{"valid/jd-its-progressive-420-75x80.jpg", 4},
                      CorpusCase{"valid/jd-progressive-420-32x32.jpg", 4},
                      CorpusCase{"valid/jd-progressive-444-single-comp-scans.jpg", 4},
                      CorpusCase{"valid/jd-progressive-dc-only-gray.jpg", 4},
                      CorpusCase{"valid/jd-progressive-dri-noninterleaved.jpg", 4},
                      CorpusCase{"valid/jd-tower-progressive-444.jpg", 4},
                      CorpusCase{"valid/pil-progressive-444-big-icc.jpg", 4},
                      CorpusCase{"valid/pil-progressive-single-comp-scans-app13.jpg", 4},
                      CorpusCase{"valid/wuffs-peacock-progressive.jpg", 4}),
    [](const ::testing::TestParamInfo<CorpusCase>& info) {
      return testing::TestNameOf(fs::path(info.param.file).stem().string());
    });

// libjpeg-turbo writes no four-component PNM: these are decoded for their
// result and for the interrupted read's identity only.
TEST(FourComponentProgressiveFileTest, DecodesAndResumes) {
  for (const char* file : {"valid/deb-cmyk-adobe0-progressive.jpg", "valid/deb-ycck-adobe2-progressive.jpg"}) {
    SCOPED_TRACE(file);
    const std::vector<uint8_t> stream = testing::ReadFileBytes(testing::CorpusFolder() / file);
    DibRequest request;
    request.color = JpegColorRgba;
    request.channels = 4;
    const DibResult whole = DecodeIntoDib(stream, request);
    ASSERT_EQ(whole.result, JpegSuccess);
    request.interrupt = true;
    EXPECT_TRUE(DecodeIntoDib(stream, request).pixels == whole.pixels);
  }
}

// Images whose scans stop short of the full progression are still written,
// from the coefficients that arrived, and the read succeeds.
TEST(IncompleteProgressionTest, IsWrittenAtTheEndOfTheImage) {
  for (const char* file : {"valid/wuffs-peacock-progressive-scan1of10.jpg",
                           "valid/wuffs-peacock-progressive-scan6of10.jpg", "valid/jd-progressive-dc-only-gray.jpg"}) {
    SCOPED_TRACE(file);
    DibRequest request;
    request.fill = 0x5A;
    const DibResult dib = DecodeIntoDib(testing::ReadFileBytes(testing::CorpusFolder() / file), request);
    ASSERT_EQ(dib.result, JpegSuccess);
    const std::vector<uint8_t> samples = testing::ImageSamples(dib, request);
    EXPECT_LT(std::count(samples.begin(), samples.end(), uint8_t{0x5A}),
              static_cast<std::ptrdiff_t>(samples.size() / 4));
  }
}

// An eighth-size read passes over the AC scans it shows nothing of, except
// when it stops after every unit, which decodes them. Both ways take the
// same markers from the stream, so damaged streams end alike too: with the
// same result and the same pixels.
bool HasProgressiveFrame(const std::vector<uint8_t>& stream) {
  const uint8_t sof2[] = {0xFF, 0xC2};
  return std::search(stream.begin(), stream.end(), std::begin(sof2), std::end(sof2)) != stream.end();
}

TEST(EighthSizeReadTest, PassingOverAcScansEndsLikeDecodingThem) {
  constexpr int64_t kMaxPixels = 4 << 20;
  int compared = 0;
  for (const char* folder : {"valid", "damaged"}) {
    for (const auto& entry : fs::directory_iterator(testing::CorpusFolder() / folder)) {
      SCOPED_TRACE(entry.path().string());
      const std::vector<uint8_t> stream = testing::ReadFileBytes(entry.path());
      testing::Record record;
      if (!HasProgressiveFrame(stream) || record.ReadBuffer(stream, BufferReadParams) != JpegSuccess ||
          int64_t{record->jpeg_width} * record->jpeg_height > kMaxPixels) {
        continue;
      }
      DibRequest request;
      request.scale = 8;
      const DibResult passed = DecodeIntoDib(stream, request);
      request.interrupt = true;
      const DibResult decoded = DecodeIntoDib(stream, request);
      EXPECT_EQ(passed.result, decoded.result);
      if (decoded.result >= JpegSuccess) {
        EXPECT_TRUE(passed.pixels == decoded.pixels);
      }
      ++compared;
    }
  }
  EXPECT_GT(compared, 20);
}

// ---- Hostile progressions ----

struct Segment {
  size_t start;  // of the marker
  size_t end;    // past the segment and, for a scan, its entropy-coded data
  int code;
};

// The marker segments of a stream, each scan with its data.
std::vector<Segment> Segments(const std::vector<uint8_t>& stream) {
  std::vector<Segment> segments;
  size_t at = 2;
  while (at + 3 < stream.size() && stream[at] == 0xFF) {
    const int code = stream[at + 1];
    if (code == 0xD9) break;
    size_t end = at + 2 + (stream[at + 2] << 8 | stream[at + 3]);
    if (code == 0xDA) {
      while (end + 1 < stream.size() &&
             !(stream[end] == 0xFF && stream[end + 1] != 0 && (stream[end + 1] < 0xD0 || stream[end + 1] > 0xD7))) {
        ++end;
      }
    }
    segments.push_back({at, end, code});
    at = end;
  }
  return segments;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& stream, size_t start, size_t end) {
  return {stream.begin() + static_cast<std::ptrdiff_t>(start), stream.begin() + static_cast<std::ptrdiff_t>(end)};
}

// The stream with `copies` more copies of one of its scans before its EOI.
std::vector<uint8_t> WithRepeatedScan(const std::vector<uint8_t>& stream, const Segment& scanSegment, int copies) {
  std::vector<uint8_t> longer = Slice(stream, 0, Segments(stream).back().end);
  const std::vector<uint8_t> scan = Slice(stream, scanSegment.start, scanSegment.end);
  for (int i = 0; i < copies; ++i) longer.insert(longer.end(), scan.begin(), scan.end());
  longer.insert(longer.end(), {0xFF, 0xD9});
  return longer;
}

std::vector<uint8_t> WithRepeatedLastScan(const std::vector<uint8_t>& stream, int copies) {
  return WithRepeatedScan(stream, Segments(stream).back(), copies);
}

// A DC first scan met again, after every other scan, starts its blocks
// afresh: the image is what its first scan alone gives.
TEST(ManyScansTest, ADcFirstScanAgainClearsItsBlocks) {
  const std::vector<uint8_t> stream = testing::ReadFileBytes(OracleFile("s420-64x48-progressive.jpg"));
  const std::vector<Segment> segments = Segments(stream);
  const Segment& first =
      *std::find_if(segments.begin(), segments.end(), [](const Segment& s) { return s.code == 0xDA; });
  std::vector<uint8_t> firstScanOnly = Slice(stream, 0, first.end);
  firstScanOnly.insert(firstScanOnly.end(), {0xFF, 0xD9});
  const DibResult again = DecodeIntoDib(WithRepeatedScan(stream, first, 1), DibRequest{});
  const DibResult alone = DecodeIntoDib(firstScanOnly, DibRequest{});
  ASSERT_EQ(again.result, JpegSuccess);
  ASSERT_EQ(alone.result, JpegSuccess);
  EXPECT_EQ(again.pixels, alone.pixels);
}

TEST(ManyScansTest, AreRefusedPastTheBound) {
  const std::vector<uint8_t> stream = testing::ReadFileBytes(OracleFile("s420-64x48-progressive.jpg"));
  const std::vector<Segment> segments = Segments(stream);
  const int scans = static_cast<int>(
      std::count_if(segments.begin(), segments.end(), [](const Segment& s) { return s.code == 0xDA; }));
  // A refinement scan again changes nothing it has not already set.
  EXPECT_EQ(DecodeIntoDib(WithRepeatedLastScan(stream, kMaxProgressiveScans - scans), DibRequest{}).result,
            JpegSuccess);
  EXPECT_EQ(DecodeIntoDib(WithRepeatedLastScan(stream, kMaxProgressiveScans - scans + 1), DibRequest{}).result,
            JpegErrData);
  EXPECT_EQ(DecodeIntoDib(WithRepeatedLastScan(stream, 20000), DibRequest{}).result, JpegErrData);
}

TEST(ManyScansTest, OfASequentialImageAreRefusedPastTheBound) {
  // Three scans, one per component; the last one again overwrites its bytes.
  const std::vector<uint8_t> stream = testing::ReadFileBytes(OracleFile("s420-64x48-each.jpg"));
  const DibResult original = DecodeIntoDib(stream, DibRequest{});
  ASSERT_EQ(original.result, JpegSuccess);
  const DibResult repeated = DecodeIntoDib(WithRepeatedLastScan(stream, kMaxSequentialScans - 3), DibRequest{});
  EXPECT_EQ(repeated.result, JpegSuccess);
  EXPECT_TRUE(repeated.pixels == original.pixels);
  EXPECT_EQ(DecodeIntoDib(WithRepeatedLastScan(stream, kMaxSequentialScans - 2), DibRequest{}).result, JpegErrData);
  EXPECT_EQ(DecodeIntoDib(WithRepeatedLastScan(stream, 20000), DibRequest{}).result, JpegErrData);
}

// A frame header after the first scan: a progressive image's coefficients,
// and the DIB the parameter read sized, belong to the frame they were made
// for, so a later frame is refused when it is progressive or changes the
// size; a sequential image may repeat its own frame.
TEST(FrameAfterFirstScanTest, IsRefusedWhenItChangesTheImage) {
  struct Case {
    const char* stream;
    int height_factor;
    int expected;
  } const cases[] = {{"s420-64x48-progressive.jpg", 2, JpegErrMultipleFrames},
                     {"s420-64x48-progressive.jpg", 1, JpegErrMultipleFrames},
                     {"s420-64x48.jpg", 2, JpegErrMultipleFrames},
                     {"s420-64x48.jpg", 1, JpegSuccess}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.stream << ", height x " << c.height_factor);
    const std::vector<uint8_t> stream = testing::ReadFileBytes(OracleFile(c.stream));
    const std::vector<Segment> segments = Segments(stream);
    const auto frame = std::find_if(segments.begin(), segments.end(), [](const Segment& s) {
      return s.code == 0xC0 || s.code == 0xC2;
    });
    const auto scan = std::find_if(segments.begin(), segments.end(), [](const Segment& s) { return s.code == 0xDA; });
    ASSERT_NE(frame, segments.end());
    ASSERT_NE(scan, segments.end());
    // A baseline frame header after the first scan.
    std::vector<uint8_t> sof = Slice(stream, frame->start, frame->end);
    sof[1] = 0xC0;
    sof[6] = static_cast<uint8_t>(sof[6] * c.height_factor);  // the low byte of the height
    std::vector<uint8_t> crafted = Slice(stream, 0, scan->end);
    crafted.insert(crafted.end(), sof.begin(), sof.end());
    crafted.insert(crafted.end(), stream.begin() + static_cast<std::ptrdiff_t>(scan->end), stream.end());
    const DibResult read = DecodeIntoDib(crafted, DibRequest{});
    EXPECT_EQ(read.result, c.expected);
    if (c.expected == JpegSuccess) {
      EXPECT_TRUE(read.pixels == DecodeIntoDib(stream, DibRequest{}).pixels);
    }
  }
}

// One to four edits in the scans and their headers.
const MutationPolicy kInScans{
    4, {Edit::kRandomByte, Edit::kFlipBit, Edit::kMarkerByte, Edit::kDropByte, Edit::kCut}, 0};

TEST(MutatedProgressiveStreamTest, EveryStreamEndsWithACode) {
  const char* seeds[] = {"s420-64x48-approximation", "s422-33x65-bands-out-of-order", "s444-17x17-progressive-dri2",
                         "grey-33x65-dc-per-component", "corpus-cmyk-2x2-dc-subsets", "corpus-testorig-411-spectral"};
  constexpr int kPerSeed = 600;
  int streams = 0;
  for (const char* seed : seeds) {
    const std::vector<uint8_t> original = testing::ReadFileBytes(OracleFile(std::string(seed) + ".jpg"));
    ASSERT_FALSE(original.empty()) << seed;
    const std::vector<Segment> segments = Segments(original);
    const auto scan = std::find_if(segments.begin(), segments.end(), [](const Segment& s) { return s.code == 0xDA; });
    ASSERT_NE(scan, segments.end());
    StreamMutator mutator(static_cast<uint32_t>(original.size()));
    for (int i = 0; i < kPerSeed; ++i) {
      DibRequest request;
      request.interrupt = i % 10 == 0;
      if (IsFourComponent(seed)) {
        request.color = JpegColorRgba;
        request.channels = 4;
      }
      const int result = DecodeIntoDib(mutator.Mutate(original, scan->start, kInScans), request).result;
      ASSERT_LE(result, JpegSuccess) << seed << " mutation " << i;
      ++streams;
    }
  }
  EXPECT_EQ(streams, 3600);
}

}  // namespace
}  // namespace halvora::jpeg
