#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <halvora/jpeg.h>
#include "jpeg/interface/private_state.h"
#include "jpeg/interface/validate.h"
#include "tests/jpeg/record.h"
#include "tests/jpeg/stream_builder.h"

extern "C" int ReadParamsFromC(const unsigned char* stream, int size, int* width, int* height);

namespace halvora::jpeg {
namespace {

using testing::Record;
using testing::StreamBuilder;

struct TextCase {
  int code;
  const char* text;
};

class ErrorTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ErrorTextTest, GivesTheTextOfTheCode) { EXPECT_STREQ(JpegErrorText(GetParam().code), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(Codes, ErrorTextTest,
                         ::testing::Values(TextCase{0, "Success"}, TextCase{1, "Interrupt Success"},
                                           TextCase{2, "ROI Success"}, TextCase{-1, "Exception detected"},
                                           TextCase{-5, "Memory error"}, TextCase{-8, "Invalid JPEG_PROPERTIES"},
                                           TextCase{-20, "Multiply frame"}, TextCase{-21, "Data error"},
                                           TextCase{-29, "Unsupported frame was found"},
                                           TextCase{-30, "Error access to jpeg_comment buffer"},
                                           TextCase{-99, "Reserved"}, TextCase{3, "Unknown error code"},
                                           TextCase{-31, "Unknown error code"}, TextCase{-98, "Unknown error code"},
                                           TextCase{-100, "Unknown error code"}));

TEST(ErrorTextTest, EveryCodeFromMinus30ToMinus1HasItsOwnText) {
  for (int code = -30; code <= 2; ++code) {
    EXPECT_STRNE(JpegErrorText(code), "Unknown error code") << code;
  }
}

TEST(VersionTest, DescribesTheLibrary) {
  const JpegVersionInfo* version = JpegGetVersion();
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->major, 1);
  EXPECT_EQ(version->minor, 51);
  EXPECT_EQ(version->build, 13);
  EXPECT_STREQ(version->name, "hjpeg15.lib");
  EXPECT_STREQ(version->version, "1.51.13");
  EXPECT_STREQ(version->internal_version, "[1.51.13.45]");
  EXPECT_STREQ(version->build_date, "Apr 30 2002");
  EXPECT_STREQ(version->vendor, "Microsoft*");
}

TEST(InitTest, WritesThePublicDefaults) {
  Record record;
  ASSERT_EQ(record.init_result(), JpegSuccess);
  const JPEG_PROPERTIES& p = record.get();
  EXPECT_EQ(p.dib_channels, 3);
  EXPECT_EQ(p.dib_color, JpegColorBgr);
  EXPECT_EQ(p.jpeg_channels, 3);
  EXPECT_EQ(p.jpeg_color, JpegColorYCbCr);
  EXPECT_EQ(p.jpeg_subsampling, JpegSubsampling420);
  EXPECT_EQ(p.color_conversion_needed, 1);
  EXPECT_EQ(p.upsampling_needed, 1);
  EXPECT_EQ(p.quality, 75);
  EXPECT_EQ(p.state.dct_method, 1);
  EXPECT_EQ(p.state.jpeg_comment, nullptr);
}

// ---- Validation ----

struct ValidationCase {
  const char* name;
  int ioType;
  std::function<void(JPEG_PROPERTIES&)> change;
  int expected;
  Direction direction = Direction::kRead;
};

class ValidationTest : public ::testing::TestWithParam<ValidationCase> {};

uint8_t g_pixel[4];
const uint8_t g_stream[2] = {0xFF, 0xD8};

// A record that passes every rule for any read type.
void MakeValid(JPEG_PROPERTIES& p) {
  p.dib_pixels = g_pixel;
  p.dib_width = 1;
  p.dib_height = 1;
  p.jpeg_file_name = "page.jpg";
  p.jpeg_buffer = g_stream;
  p.jpeg_buffer_size = 2;
}

TEST_P(ValidationTest, AppliesTheFirstFailingRule) {
  Record record;
  MakeValid(record.get());
  GetParam().change(record.get());
  EXPECT_EQ(ValidateProperties(record.get(), GetParam().ioType, GetParam().direction), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ValidationTest,
    ::testing::Values(
        ValidationCase{"Valid", BufferReadImage, [](JPEG_PROPERTIES&) {}, 0},
        ValidationCase{"StateAsIsSkipsEverything", 99, [](JPEG_PROPERTIES& p) { p.use_state_as_is = 1; }, 0},
        ValidationCase{"TypeMinus1", -1, [](JPEG_PROPERTIES&) {}, -8},
        ValidationCase{"Type22", 22, [](JPEG_PROPERTIES&) {}, -8},
        ValidationCase{"ReadOfWriteType", BufferWriteImage, [](JPEG_PROPERTIES&) {}, -8},
        ValidationCase{"NullDib", BufferReadImage, [](JPEG_PROPERTIES& p) { p.dib_pixels = nullptr; }, -8},
        ValidationCase{"NullDibWithoutDibType", BufferReadParams, [](JPEG_PROPERTIES& p) { p.dib_pixels = nullptr; },
                       0},
        ValidationCase{"NullDibWithRawPlanes", BufferReadImage,
                       [](JPEG_PROPERTIES& p) {
                         static int16_t* planes[5];
                         p.dib_pixels = nullptr;
                         p.state.raw_plane_list = planes;
                       },
                       0},
        ValidationCase{"WidthZero", BufferReadImage, [](JPEG_PROPERTIES& p) { p.dib_width = 0; }, -8},
        ValidationCase{"Width65536", BufferReadImage, [](JPEG_PROPERTIES& p) { p.dib_width = 65536; }, -8},
        ValidationCase{"HeightZero", BufferReadImage, [](JPEG_PROPERTIES& p) { p.dib_height = 0; }, 0},
        ValidationCase{"HeightMinus65535", BufferReadImage, [](JPEG_PROPERTIES& p) { p.dib_height = -65535; }, 0},
        ValidationCase{"HeightMinus65536", BufferReadImage, [](JPEG_PROPERTIES& p) { p.dib_height = -65536; }, -8},
        ValidationCase{"ThumbnailIntoYCbCr", FileReadThumbnail, [](JPEG_PROPERTIES& p) { p.dib_color = 3; }, -27},
        ValidationCase{"NegativePad", BufferReadImage, [](JPEG_PROPERTIES& p) { p.dib_pad_bytes = -1; }, -8},
        ValidationCase{"DibChannels256", BufferReadImage, [](JPEG_PROPERTIES& p) { p.dib_channels = 256; }, -8},
        ValidationCase{"SubsamplingWithoutYCbCrDib", BufferReadImage,
                       [](JPEG_PROPERTIES& p) { p.dib_subsampling = 2; }, -3},
        ValidationCase{"SubsamplingOfYCbCrDib", BufferReadImage,
                       [](JPEG_PROPERTIES& p) {
                         p.dib_subsampling = 2;
                         p.dib_color = 3;
                       },
                       0},
        ValidationCase{"NoFileName", FileReadParams, [](JPEG_PROPERTIES& p) { p.jpeg_file_name = nullptr; }, -8},
        ValidationCase{"NoBuffer", BufferReadParams, [](JPEG_PROPERTIES& p) { p.jpeg_buffer = nullptr; }, -8},
        ValidationCase{"BufferSizeZero", BufferReadParams, [](JPEG_PROPERTIES& p) { p.jpeg_buffer_size = 0; }, -8},
        ValidationCase{"BufferSizeNegative", BufferReadParams, [](JPEG_PROPERTIES& p) { p.jpeg_buffer_size = -4; },
                       -8},
        ValidationCase{"JpegChannels256", BufferReadParams,
                       [](JPEG_PROPERTIES& p) {
                         p.jpeg_channels = 256;
                         p.jpeg_color = 255;
                         p.dib_color = 255;
                       },
                       0},
        ValidationCase{"JpegChannels257", BufferReadParams, [](JPEG_PROPERTIES& p) { p.jpeg_channels = 257; }, -8},
        ValidationCase{"GreyIntoRgba", BufferReadImage,
                       [](JPEG_PROPERTIES& p) {
                         p.jpeg_color = 4;
                         p.jpeg_channels = 1;
                         p.dib_color = 5;
                         p.dib_channels = 4;
                       },
                       0},
        ValidationCase{"RgbIntoGrey", BufferReadImage,
                       [](JPEG_PROPERTIES& p) {
                         p.jpeg_color = 1;
                         p.dib_color = 4;
                         p.dib_channels = 1;
                       },
                       -8},
        ValidationCase{"YCbCrIntoPackedYCbCrAnyChannels", BufferReadImage,
                       [](JPEG_PROPERTIES& p) {
                         p.dib_color = 3;
                         p.dib_channels = 2;
                       },
                       0},
        ValidationCase{"CmykIntoBgr", BufferReadImage,
                       [](JPEG_PROPERTIES& p) {
                         p.jpeg_color = 6;
                         p.jpeg_channels = 4;
                       },
                       -8},
        ValidationCase{"OtherIntoBgr", BufferReadImage, [](JPEG_PROPERTIES& p) { p.jpeg_color = 255; }, -8},
        ValidationCase{"DctMethod2", BufferReadParams, [](JPEG_PROPERTIES& p) { p.state.dct_method = 2; }, -8},
        ValidationCase{"SmoothWithRawPlanes", BufferReadImage,
                       [](JPEG_PROPERTIES& p) {
                         static int16_t* planes[5];
                         p.state.raw_plane_list = planes;
                         p.state.smooth_upsampling = 1;
                       },
                       -8},
        ValidationCase{"WriteNeedsImageSize", BufferWriteImage, [](JPEG_PROPERTIES&) {}, -8, Direction::kWrite},
        ValidationCase{"WriteOfBgrFromYCbCr", BufferWriteImage,
                       [](JPEG_PROPERTIES& p) {
                         p.jpeg_width = 8;
                         p.jpeg_height = 8;
                       },
                       0, Direction::kWrite},
        ValidationCase{"WriteSubsamplingOfGrey", BufferWriteHeader,
                       [](JPEG_PROPERTIES& p) {
                         p.jpeg_channels = 1;
                         p.jpeg_subsampling = 1;
                       },
                       -3, Direction::kWrite}),
    [](const ::testing::TestParamInfo<ValidationCase>& info) { return std::string(info.param.name); });

TEST(ReadTest, RefusesAnUnknownTypeWithoutTouchingTheStream) {
  Record record;
  const std::vector<uint8_t> stream = StreamBuilder().Soi().BaselineHeader().BaselineScan().bytes();
  EXPECT_EQ(record.ReadBuffer(stream, 22), JpegErrInvalidProperties);
  EXPECT_EQ(record.ReadBuffer(stream, -1), JpegErrInvalidProperties);
  EXPECT_EQ(record->jpeg_width, 0);
  EXPECT_EQ(record.ReadBuffer(stream), JpegSuccess);
  EXPECT_EQ(record->jpeg_width, 16);
}

TEST(ReadTest, RefusesADibThatCannotBeAddressed) {
  Record record;
  MakeValid(record.get());
  const std::vector<uint8_t> stream = StreamBuilder().Soi().BaselineHeader().BaselineScan().bytes();
  // The last line of a 65535-line DIB would lie past the end of the address space.
  record->dib_pixels = reinterpret_cast<uint8_t*>(UINTPTR_MAX - 4096);
  record->dib_width = 65535;
  record->dib_height = -65535;
  EXPECT_EQ(record.ReadBuffer(stream, BufferReadImage), JpegErrInvalidProperties);
}

TEST(CInterfaceTest, ACProgramReadsTheParameters) {
  const std::vector<uint8_t> stream = StreamBuilder().Soi().BaselineHeader(40, 24).BaselineScan().bytes();
  int width = 0;
  int height = 0;
  EXPECT_EQ(ReadParamsFromC(stream.data(), static_cast<int>(stream.size()), &width, &height), JpegSuccess);
  EXPECT_EQ(width, 40);
  EXPECT_EQ(height, 24);
}

TEST(FreeTest, LeavesTheRecordUnusableUntilTheNextInit) {
  JPEG_PROPERTIES record;
  std::memset(&record, 0, sizeof record);
  EXPECT_EQ(JpegFree(&record), JpegSuccess);  // a cleared record holds nothing
  ASSERT_EQ(JpegInit(&record), JpegSuccess);
  EXPECT_EQ(JpegFree(&record), JpegSuccess);
  const uint8_t stream[] = {0xFF, 0xD8};
  record.jpeg_buffer = stream;
  record.jpeg_buffer_size = 2;
  EXPECT_EQ(JpegRead(&record, BufferReadParams), JpegErrInvalidProperties);
  EXPECT_EQ(JpegFree(&record), JpegSuccess);
}

class FailingCloseFile final : public platform::ReadableFile {
 public:
  int64_t Read(void*, size_t) override { return -1; }
  int64_t Seek(int64_t, platform::SeekFrom) override { return -1; }
  int64_t Size() override { return -1; }
  bool Close() override { return false; }
};

TEST(FreeTest, ReleasesEverythingWhenTheCloseFails) {
  JPEG_PROPERTIES record;
  std::memset(&record, 0, sizeof record);
  ASSERT_EQ(JpegInit(&record), JpegSuccess);
  PrivateState& state = Private(record);
  state.input.file = new FailingCloseFile;
  EXPECT_EQ(JpegFree(&record), JpegErrCloseFile);
  // The sanitizer build reports anything left behind as a leak.
  EXPECT_EQ(state.input.file, nullptr);
  EXPECT_EQ(state.input.kernels, nullptr);
  EXPECT_EQ(state.markers.frame.components, nullptr);
}

TEST(SuppliedTablesTest, AreUsedInNaturalOrderLikeDqtTables) {
  Record record;
  uint8_t values[64];
  for (int k = 0; k < 64; ++k) values[k] = static_cast<uint8_t>(k + 1);
  record->state.quant_tables_supplied = 1;
  record->state.quant_slots[2] = JpegQuantSlot{values, 2};
  std::vector<uint8_t> dib(16 * 16 * 3);
  record.UseDib(dib, 16, 16, 3, JpegColorBgr);
  const std::vector<uint8_t> stream = StreamBuilder().Soi().BaselineHeader().BaselineScan().bytes();
  record.ReadBuffer(stream, BufferReadImage);
  const QuantTable& table = QuantTableAt(Private(record.get()).tables, 2);
  EXPECT_EQ(table.identifier, 2);
  EXPECT_EQ(table.entries[0], 1);
  EXPECT_EQ(table.entries[1], 2);   // zig-zag position 1
  EXPECT_EQ(table.entries[8], 3);   // zig-zag position 2
  EXPECT_EQ(table.entries[63], 64);
  EXPECT_EQ(table.entries[64], 0);
}

}  // namespace
}  // namespace halvora::jpeg
