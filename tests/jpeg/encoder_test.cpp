// The encoder through JpegWrite: what it writes reads back to the colours it
// came from, with the segments readers need; the stream forms that must be
// identical are; and bad records get their code before any byte is written.
#include <gtest/gtest.h>
#include <halvora/jpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "jpeg/encoder/encoder_state.h"
#include "jpeg/interface/private_state.h"
#include "jpeg/kernels/kernel_table.h"
#include "tests/jpeg/decode_support.h"
#include "tests/jpeg/encode_support.h"
#include "tests/jpeg/record.h"
#include "tests/support/scratch_path.h"

namespace halvora::jpeg {
namespace {

namespace fs = std::filesystem;
using testing::ColourSegments;
using testing::ColourSegmentsOf;
using testing::DecodeIntoDib;
using testing::Dib;
using testing::DibRequest;
using testing::DibResult;
using testing::PixelOf;
using testing::Record;
using testing::RequestFor;
using testing::WriteRequest;
using testing::WriteStream;

// ---- Round trips ------------------------------------------------------------

// The colour the stream says it holds, and how it is read back.
enum class Expect { kSame, kLuma, kDropFourth };

struct RoundTripCase {
  const char* name;
  WriteRequest write;
  DibRequest read;  // color and channels of the DIB read into; jpeg_color when it must be named
  Expect expect;
  // The largest difference from a source sample; subsampled chroma, averaged
  // over its neighbours, is held to a mean difference (of 1/10 sample) instead.
  int tolerance;
  // The segments: JFIF, Adobe (with its transform), neither.
  bool jfif;
  int adobe_transform;  // -1: no Adobe segment
};

DibRequest Read(int color, int channels, int jpegColor = 0) {
  DibRequest request;
  request.color = color;
  request.channels = channels;
  request.jpeg_color = jpegColor;
  return request;
}

// The JFIF luminance of a pixel's R, G, B bytes.
double Luma(const uint8_t* rgb) { return 0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2]; }

void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }

// The largest difference between the source DIB, written as `write` says,
// and what came back, or for a subsampled stream ten times the mean one.
int Worst(const RoundTripCase& c, const WriteRequest& write, const Dib& source, const DibResult& back) {
  int worst = 0;
  int64_t sum = 0;
  int64_t count = 0;
  const int line = back.line_bytes;
  for (int y = 0; y < source.height; ++y) {
    for (int x = 0; x < source.width; ++x) {
      const uint8_t* want = PixelOf(source, write, x, y);
      const uint8_t* got =
          back.pixels.data() + static_cast<size_t>(y) * line + static_cast<size_t>(x) * c.read.channels;
      if (c.expect == Expect::kLuma) {
        const bool bgr = write.dib_color == JpegColorBgr;
        const uint8_t rgb[3] = {want[bgr ? 2 : 0], want[1], want[bgr ? 0 : 2]};
        worst = std::max(worst, static_cast<int>(std::lround(std::abs(Luma(rgb) - got[0]))));
        continue;
      }
      const int compared = c.expect == Expect::kDropFourth ? 3 : c.read.channels;
      for (int k = 0; k < compared; ++k, ++count) {
        worst = std::max(worst, std::abs(want[k] - got[k]));
        sum += std::abs(want[k] - got[k]);
      }
    }
  }
  return write.subsampling == 0 ? worst : static_cast<int>(10 * sum / count);
}

class RoundTripTest : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTripTest, ReadsBackToItsColoursWithItsSegments) {
  const RoundTripCase& c = GetParam();
  for (bool bottomUp : {false, true}) {
    SCOPED_TRACE(bottomUp ? "bottom-up DIB" : "top-down DIB");
    WriteRequest write = c.write;
    write.bottom_up = bottomUp;
    write.pad = bottomUp ? 3 : 0;
    write.comment = "written by the tests";
    // Odd sizes: the last MCU column and row are partly outside the image.
    Dib dib = testing::MakeDib(write, 45, 27);
    std::vector<uint8_t> stream;
    ASSERT_EQ(WriteStream(write, dib, stream), JpegSuccess);
    const DibResult back = DecodeIntoDib(stream, c.read);
    ASSERT_EQ(back.result, JpegSuccess);
    EXPECT_LE(Worst(c, write, dib, back), c.tolerance);

    Record record;
    std::vector<uint8_t> comment(64);
    record->state.jpeg_comment = comment.data();
    record->state.jpeg_comment_size = 64;
    ASSERT_EQ(record.ReadBuffer(stream), JpegSuccess);
    EXPECT_EQ(std::string(comment.begin(), comment.begin() + record->state.jpeg_comment_size), write.comment);
    const ColourSegments segments = ColourSegmentsOf(stream);
    EXPECT_EQ(segments.jfif, c.jfif);
    EXPECT_EQ(segments.adobe_transform, c.adobe_transform);
    EXPECT_EQ(record->jpeg_subsampling, c.write.subsampling);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pairings, RoundTripTest,
    ::testing::Values(
        // Grey at quality 100 comes back within 1, as grey or as YCbCr.
        RoundTripCase{"GreyToGrey", RequestFor(4, 1, 4, 1), Read(4, 1), Expect::kSame, 1, true, -1},
        RoundTripCase{"GreyToYCbCr", RequestFor(4, 1, 3, 3), Read(4, 1), Expect::kSame, 1, true, -1},
        RoundTripCase{"BgrToYCbCr", RequestFor(2, 3, 3, 3), Read(2, 3), Expect::kSame, 4, true, -1},
        RoundTripCase{"RgbToYCbCr", RequestFor(1, 3, 3, 3), Read(1, 3), Expect::kSame, 4, true, -1},
        RoundTripCase{"BgrToYCbCr422", RequestFor(2, 3, 3, 3, 2), Read(2, 3), Expect::kSame, 10, true, -1},
        RoundTripCase{"BgrToYCbCr420", RequestFor(2, 3, 3, 3, 1), Read(2, 3), Expect::kSame, 10, true, -1},
        RoundTripCase{"RgbToGrey", RequestFor(1, 3, 4, 1), Read(4, 1), Expect::kLuma, 1, true, -1},
        RoundTripCase{"BgrToGrey", RequestFor(2, 3, 4, 1), Read(4, 1), Expect::kLuma, 1, true, -1},
        RoundTripCase{"BgrStoredAsRgb", RequestFor(2, 3, 1, 3), Read(2, 3), Expect::kSame, 1, false, 0},
        RoundTripCase{"RgbStoredAsRgb420", RequestFor(1, 3, 1, 3, 1), Read(1, 3), Expect::kSame, 30, false, 0},
        RoundTripCase{"RgbInFourBytesToYCbCr", RequestFor(1, 4, 3, 3), Read(5, 4), Expect::kDropFourth, 4, true, -1},
        RoundTripCase{"RgbaStored", RequestFor(5, 4, 5, 4), Read(5, 4), Expect::kSame, 1, false, 0},
        RoundTripCase{"RgbaStored420", RequestFor(5, 4, 5, 4, 3), Read(5, 4), Expect::kSame, 30, false, 0},
        RoundTripCase{"RgbaToYCbCrAndAlpha", RequestFor(5, 4, 6, 4), Read(5, 4), Expect::kSame, 4, false, 2},
        RoundTripCase{"RgbaToYCbCrAndAlpha422", RequestFor(5, 4, 6, 4, 4), Read(5, 4), Expect::kSame, 10, false, 2},
        RoundTripCase{"YCbCrStored", RequestFor(3, 3, 3, 3), Read(255, 3, 255), Expect::kSame, 1, true, -1},
        RoundTripCase{"OtherStored", RequestFor(255, 3, 255, 3), Read(255, 3, 255), Expect::kSame, 1, false, 0},
        RoundTripCase{"OtherFirstTwoOfFour", RequestFor(255, 4, 255, 2), Read(255, 2, 255), Expect::kSame, 1, false,
                      0}),
    [](const ::testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

// ---- Stream forms that decode identically -----------------------------------------------

// The settings each identity below is checked for.
std::vector<WriteRequest> Variants() {
  std::vector<WriteRequest> variants;
  for (int subsampling : {0, 1, 2}) {
    for (int restart : {0, 1, 5}) {
      WriteRequest request = RequestFor(JpegColorBgr, 3, JpegColorYCbCr, 3, subsampling);
      request.quality = 85;
      request.restart_interval = restart;
      variants.push_back(request);
    }
  }
  WriteRequest grey = RequestFor(JpegColorGrey, 1, JpegColorGrey, 1);
  grey.restart_interval = 3;
  variants.push_back(grey);
  variants.push_back(RequestFor(JpegColorRgba, 4, JpegColorYCbCrAlpha, 4, JpegSubsampling420Four));
  variants.push_back(RequestFor(JpegColorRgb, 3, JpegColorRgb, 3));
  return variants;
}

std::string Describe(const WriteRequest& r) {
  return "colour " + std::to_string(r.jpeg_color) + " sampling " + std::to_string(r.subsampling) + " restart " +
         std::to_string(r.restart_interval);
}

DibRequest ReadFor(const WriteRequest& request) {
  return request.channels == 4 ? Read(JpegColorRgba, 4) : Read(JpegColorBgr, 3);
}

// Every coefficient of a progressive image reaches the reader through its
// scans exactly, and tables made for the image code the same coefficients:
// both decode as the sequential stream with the example tables does. The
// components are read as they are stored, so that no colour conversion
// (whose rounding the reader's progressive path does its own way) stands
// between the coefficients and the comparison.
TEST(IdentityTest, ProgressiveAndOptimisedStreamsDecodeAsTheSequentialOne) {
  for (const WriteRequest& base : Variants()) {
    SCOPED_TRACE(Describe(base));
    Dib dib = testing::MakeDib(base, 70, 41);
    std::vector<uint8_t> sequential;
    ASSERT_EQ(WriteStream(base, dib, sequential), JpegSuccess);
    const DibRequest asStored = Read(JpegColorOther, base.channels, JpegColorOther);
    const DibResult expected = DecodeIntoDib(sequential, asStored);
    ASSERT_EQ(expected.result, JpegSuccess);
    for (bool progressive : {false, true}) {
      SCOPED_TRACE(progressive ? "progressive" : "optimised");
      WriteRequest request = base;
      request.progressive = progressive;
      request.optimize = !progressive;
      std::vector<uint8_t> stream;
      ASSERT_EQ(WriteStream(request, dib, stream), JpegSuccess);
      // Restarts end every run of blocks that ends in zeros, which a
      // progressive image codes at most one of per scan.
      if (request.restart_interval == 0) {
        EXPECT_LT(stream.size(), sequential.size());
      }
      const DibResult decoded = DecodeIntoDib(stream, asStored);
      ASSERT_EQ(decoded.result, JpegSuccess);
      EXPECT_EQ(decoded.pixels, expected.pixels);
    }
  }
}

// The tables-only stream and the stream without tables, read as a pair,
// decode as the whole stream does.
TEST(IdentityTest, TablesAndImageWrittenApartDecodeAsTheWholeStream) {
  for (const WriteRequest& request : Variants()) {
    SCOPED_TRACE(Describe(request));
    Dib dib = testing::MakeDib(request, 37, 19);
    std::vector<uint8_t> whole;
    std::vector<uint8_t> tables;
    std::vector<uint8_t> image;
    ASSERT_EQ(WriteStream(request, dib, whole), JpegSuccess);
    ASSERT_EQ(WriteStream(request, dib, tables, BufferWriteHeader), JpegSuccess);
    ASSERT_EQ(WriteStream(request, dib, image, BufferWriteImageData), JpegSuccess);
    const DibRequest read = ReadFor(request);
    const DibResult expected = DecodeIntoDib(whole, read);
    ASSERT_EQ(expected.result, JpegSuccess);

    Record record;
    ASSERT_EQ(record.ReadBuffer(tables, BufferReadHeader), JpegSuccess);
    std::vector<uint8_t> pixels(expected.pixels.size());
    record.UseDib(pixels, dib.width, dib.height, read.channels, read.color);
    record->jpeg_color = request.jpeg_color;
    record->jpeg_channels = request.channels;
    ASSERT_EQ(record.ReadBuffer(image, BufferReadImageData), JpegSuccess);
    EXPECT_EQ(pixels, expected.pixels);
  }
}

fs::path TemporaryPath(const std::string& name) { return test_support::ScratchPath("encoder-" + name); }

std::vector<uint8_t> WrittenFile(const fs::path& path) { return testing::ReadFileBytes(path); }

TEST(IdentityTest, FileWritesEqualBufferWrites) {
  WriteRequest request = RequestFor(JpegColorBgr, 3, JpegColorYCbCr, 3, JpegSubsampling420);
  request.quality = 75;
  request.comment = "file";
  Dib dib = testing::MakeDib(request, 300, 200);
  const fs::path path = TemporaryPath("file_write.jpg");
  for (auto [fileType, bufferType] :
       {std::pair{FileWriteImage, BufferWriteImage}, std::pair{FileWriteHeader, BufferWriteHeader},
        std::pair{FileWriteImageData, BufferWriteImageData}}) {
    std::vector<uint8_t> inMemory;
    ASSERT_EQ(WriteStream(request, dib, inMemory, bufferType), JpegSuccess);
    Record record;
    std::vector<uint8_t> unused;
    testing::PrepareWrite(record.get(), request, dib, unused);
    const std::string name = path.string();
    record->jpeg_file_name = name.c_str();
    ASSERT_EQ(JpegWrite(&record.get(), fileType), JpegSuccess);
    EXPECT_EQ(WrittenFile(path), inMemory) << "type " << fileType;
  }
  fs::remove(path);
}

// The same stream from every kernel set, whatever the row lengths and blocks.
TEST(IdentityTest, EveryKernelSetWritesTheSameStream) {
  for (const WriteRequest& request : Variants()) {
    SCOPED_TRACE(Describe(request));
    Dib dib = testing::MakeDib(request, 93, 35);
    std::vector<std::vector<uint8_t>> streams;
    for (ProcessorKind kind : {0, 6}) {
      Record record;
      PrivateState& state = Private(record.get());
      UseProcessorKind(*state.input.kernels, state.input.processor_kind, kind);
      std::vector<uint8_t> stream;
      testing::PrepareWrite(record.get(), request, dib, stream);
      ASSERT_EQ(JpegWrite(&record.get(), BufferWriteImage), JpegSuccess);
      stream.resize(static_cast<size_t>(record->jpeg_buffer_size));
      streams.push_back(stream);
    }
    EXPECT_EQ(streams[0], streams[1]);
  }
}

// ---- Output buffer capacity -------------------------------------------------------

// Noise at quality 100 codes nearly every coefficient with long codes: the
// streams come as close to the bound as images do.
TEST(CapacityTest, TheBoundHoldsForNoise) {
  for (bool progressive : {false, true}) {
    for (int subsampling : {0, 1}) {
      WriteRequest request = RequestFor(JpegColorBgr, 3, JpegColorYCbCr, 3, subsampling);
      request.progressive = progressive;
      request.restart_interval = 1;
      Dib dib = testing::MakeDib(request, 67, 33);
      uint32_t seed = 7;
      for (uint8_t& byte : dib.bytes) byte = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
      std::vector<uint8_t> stream;
      Record record;
      testing::PrepareWrite(record.get(), request, dib, stream);
      const int64_t bound = JpegWriteBound(&record.get());
      ASSERT_EQ(JpegWrite(&record.get(), BufferWriteImage), JpegSuccess);
      EXPECT_LE(record->jpeg_buffer_size, bound);
    }
  }
}

// Every capacity short of the stream's size is refused, and nothing is
// written past it (each buffer is exactly that large, so the sanitizers see
// an overrun).
TEST(CapacityTest, EveryCapacityShortOfTheStreamIsRefused) {
  WriteRequest request = RequestFor(JpegColorBgr, 3, JpegColorYCbCr, 3, JpegSubsampling420);
  request.comment = "capacity";
  Dib dib = testing::MakeDib(request, 20, 12);
  std::vector<uint8_t> expected;
  ASSERT_EQ(WriteStream(request, dib, expected), JpegSuccess);
  for (size_t capacity = 1; capacity <= expected.size(); ++capacity) {
    Record record;
    std::vector<uint8_t> unused;
    testing::PrepareWrite(record.get(), request, dib, unused);
    std::vector<uint8_t> buffer(capacity);
    record->jpeg_buffer = buffer.data();
    record->jpeg_buffer_size = static_cast<int32_t>(capacity);
    const int result = JpegWrite(&record.get(), BufferWriteImage);
    if (capacity < expected.size()) {
      ASSERT_EQ(result, JpegErrOutputTooSmall) << "capacity " << capacity;
      EXPECT_EQ(record->jpeg_buffer_size, static_cast<int32_t>(capacity));
    } else {
      ASSERT_EQ(result, JpegSuccess);
      EXPECT_EQ(buffer, expected);
    }
  }
}

// ---- Bad records ---------------------------------------------------------------------------

struct RefusalCase {
  const char* name;
  int io_type;
  std::function<void(JPEG_PROPERTIES&)> change;
  int expected;
};

class RefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, AnswersBeforeWritingAnyByte) {
  const RefusalCase& c = GetParam();
  WriteRequest request;
  Dib dib = testing::MakeDib(request, 16, 16);
  Record record;
  std::vector<uint8_t> stream;
  testing::PrepareWrite(record.get(), request, dib, stream);
  std::fill(stream.begin(), stream.end(), 0x5A);
  const fs::path path = TemporaryPath("refused.jpg");
  fs::remove(path);
  const std::string name = path.string();
  record->jpeg_file_name = name.c_str();
  c.change(record.get());
  EXPECT_EQ(JpegWrite(&record.get(), c.io_type), c.expected);
  EXPECT_TRUE(std::all_of(stream.begin(), stream.end(), [](uint8_t b) { return b == 0x5A; }));
  EXPECT_FALSE(fs::exists(path));
}

void WriteOther(JPEG_PROPERTIES& p, int dibChannels, int channels) {
  p.dib_color = JpegColorOther;
  p.dib_channels = dibChannels;
  p.jpeg_color = JpegColorOther;
  p.jpeg_channels = channels;
  p.jpeg_subsampling = 0;
}

INSTANTIATE_TEST_SUITE_P(
    Records, RefusalTest,
    ::testing::Values(
        RefusalCase{"Quality0", BufferWriteImage, [](JPEG_PROPERTIES& p) { p.quality = 0; }, -8},
        RefusalCase{"Quality101", FileWriteImage, [](JPEG_PROPERTIES& p) { p.quality = 101; }, -8},
        RefusalCase{"QualityEvenWithStateAsIs", BufferWriteImage,
                    [](JPEG_PROPERTIES& p) {
                      p.use_state_as_is = 1;
                      p.quality = 0;
                    },
                    -8},
        RefusalCase{"RestartMinus1", BufferWriteImage, [](JPEG_PROPERTIES& p) { p.state.restart_interval = -1; }, -8},
        RefusalCase{"Restart65536", FileWriteImage, [](JPEG_PROPERTIES& p) { p.state.restart_interval = 65536; }, -8},
        RefusalCase{"GreyDibToRgb", BufferWriteImage,
                    [](JPEG_PROPERTIES& p) {
                      p.dib_color = JpegColorGrey;
                      p.dib_channels = 1;
                      p.jpeg_color = JpegColorRgb;
                    },
                    -8},
        RefusalCase{"RgbaDibToYCbCr", BufferWriteImage,
                    [](JPEG_PROPERTIES& p) {
                      p.dib_color = JpegColorRgba;
                      p.dib_channels = 4;
                    },
                    -8},
        RefusalCase{"YCbCrDibToGrey", BufferWriteImage,
                    [](JPEG_PROPERTIES& p) {
                      p.dib_color = JpegColorYCbCr;
                      p.jpeg_color = JpegColorGrey;
                      p.jpeg_channels = 1;
                      p.jpeg_subsampling = 0;
                    },
                    -8},
        RefusalCase{"FiveComponents", BufferWriteImage, [](JPEG_PROPERTIES& p) { WriteOther(p, 5, 5); }, -14},
        RefusalCase{"MoreComponentsThanDibChannels", BufferWriteImage, [](JPEG_PROPERTIES& p) { WriteOther(p, 2, 3); },
                    -8},
        RefusalCase{"SubsampledGrey", BufferWriteImage,
                    [](JPEG_PROPERTIES& p) {
                      p.jpeg_color = JpegColorGrey;
                      p.jpeg_channels = 1;
                      p.jpeg_subsampling = JpegSubsampling420;
                    },
                    -3},
        RefusalCase{"FourComponentSamplingOfThree", BufferWriteImage,
                    [](JPEG_PROPERTIES& p) { p.jpeg_subsampling = JpegSubsampling420Four; }, -3},
        RefusalCase{"PackedDibSampling", BufferWriteImage,
                    [](JPEG_PROPERTIES& p) {
                      p.dib_color = JpegColorYCbCr;
                      p.dib_subsampling = 2;
                    },
                    -3},
        RefusalCase{"DibNarrowerThanImage", BufferWriteImage, [](JPEG_PROPERTIES& p) { p.dib_width = 15; }, -8},
        RefusalCase{"DibShorterThanImage", FileWriteImage, [](JPEG_PROPERTIES& p) { p.dib_height = -15; }, -8},
        RefusalCase{"NoDib", BufferWriteImage, [](JPEG_PROPERTIES& p) { p.dib_pixels = nullptr; }, -8},
        RefusalCase{"NoDibBesideRawPlanes", BufferWriteImage,
                    [](JPEG_PROPERTIES& p) {
                      static int16_t* planes[5];
                      p.state.raw_plane_list = planes;
                      p.dib_pixels = nullptr;
                    },
                    -8},
        RefusalCase{"DibPastTheAddressSpace", BufferWriteImage,
                    [](JPEG_PROPERTIES& p) {
                      p.dib_pixels = reinterpret_cast<uint8_t*>(UINTPTR_MAX - 4096);
                      p.dib_width = 65535;
                      p.dib_height = 65535;
                      p.dib_channels = 255;
                    },
                    -8},
        RefusalCase{"CapacityZero", BufferWriteImage, [](JPEG_PROPERTIES& p) { p.jpeg_buffer_size = 0; }, -8},
        RefusalCase{"ProgressiveWithoutTables", BufferWriteImageData,
                    [](JPEG_PROPERTIES& p) { p.state.progressive = 1; }, -8},
        RefusalCase{"OptimisedTablesAlone", FileWriteHeader, [](JPEG_PROPERTIES& p) { p.state.optimize_huffman = 1; },
                    -8},
        RefusalCase{"CommentTooLong", BufferWriteImage,
                    [](JPEG_PROPERTIES& p) {
                      static unsigned char text[65534];
                      p.state.jpeg_comment = text;
                      p.state.jpeg_comment_size = 65534;
                    },
                    -30},
        RefusalCase{"CommentSizeNegative", FileWriteImage,
                    [](JPEG_PROPERTIES& p) {
                      static unsigned char text[1];
                      p.state.jpeg_comment = text;
                      p.state.jpeg_comment_size = -1;
                    },
                    -30},
        RefusalCase{"ReadType", BufferReadImage, [](JPEG_PROPERTIES&) {}, -8},
        RefusalCase{"Type22", 22, [](JPEG_PROPERTIES&) {}, -8},
        RefusalCase{"FileInAMissingFolder", FileWriteImage,
                    [](JPEG_PROPERTIES& p) { p.jpeg_file_name = "/nonexistent-folder/out.jpg"; }, -10}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

// ---- Memory ----------------------------------------------------------------------------------

TEST(MemoryTest, ASequentialWriteHoldsOneMcuRow) {
  WriteRequest request = RequestFor(JpegColorBgr, 3, JpegColorYCbCr, 3, JpegSubsampling420);
  Dib dib = testing::MakeDib(request, 64, 2048);
  Record record;
  std::vector<uint8_t> stream;
  testing::PrepareWrite(record.get(), request, dib, stream);
  ASSERT_EQ(JpegWrite(&record.get(), BufferWriteImage), JpegSuccess);
  const EncoderState& encoder = *Private(record.get()).encoder;
  // Four luminance and two chroma blocks a 16 x 16 MCU, four MCUs across.
  EXPECT_EQ(encoder.row_blocks.size(), 24u);
  EXPECT_LE(encoder.samples.size(), 64u * 16 * 3 + 32u * 8 * 2);
  EXPECT_TRUE(encoder.image_blocks.empty());
}

TEST(MemoryTest, AProgressiveWriteStaysWithinTheBudget) {
  WriteRequest request = RequestFor(JpegColorBgr, 3, JpegColorYCbCr, 3);
  request.progressive = true;
  Dib dib = testing::MakeDib(request, 1024, 1024);  // 49152 blocks, 6 MiB of coefficients
  Record record;
  std::vector<uint8_t> stream;
  testing::PrepareWrite(record.get(), request, dib, stream);
  record->state.max_memory_mb = 4;
  EXPECT_EQ(JpegWrite(&record.get(), BufferWriteImage), JpegErrMemory);
  record->state.max_memory_mb = 8;
  EXPECT_EQ(JpegWrite(&record.get(), BufferWriteImage), JpegSuccess);
}

}  // namespace
}  // namespace halvora::jpeg
