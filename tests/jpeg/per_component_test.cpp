// The per-component output path end to end: images coded in scans of fewer
// components than the frame (made by jpegtran from an interleaved original
// with the same coefficients), and layouts the routine cannot expand.
// The layouts it writes are compared with libjpeg-turbo with the generated
// streams of decode_oracle_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <halvora/jpeg.h>
#include "tests/jpeg/decode_support.h"
#include "tests/jpeg/stream_builder.h"
#include "tests/jpeg/transcode_cases.h"
#include "tests/support/ycbcr_model.h"

namespace halvora::jpeg {
namespace {

namespace fs = std::filesystem;
using testing::DecodeIntoDib;
using testing::DibRequest;
using testing::DibResult;
using testing::ImageSamples;

using SingleScanCase = testing::TranscodeCase;

std::vector<SingleScanCase> SingleScanCases() { return testing::ReadTranscodeCases("single-scans.tsv", {}); }

std::vector<uint8_t> Stream(const std::string& file) { return testing::ReadFileBytes(testing::OracleFolder() / file); }

// The samples of a decode into a BGR DIB, or with `raw` into a DIB of
// uncoded colour, which keeps the Y, Cb and Cr bytes as they are.
std::vector<uint8_t> Decoded(const std::string& file, bool raw, DibRequest request = {}) {
  if (raw) request.jpeg_color = request.color = JpegColorOther;
  const DibResult dib = DecodeIntoDib(Stream(file), request);
  EXPECT_EQ(dib.result, JpegSuccess) << file;
  return ImageSamples(dib, request);
}

class SingleScanTest : public ::testing::TestWithParam<SingleScanCase> {};

// The blocks land where the interleaved original puts them, so the Y, Cb and
// Cr bytes are the same...
TEST_P(SingleScanTest, PlacesTheSamplesOfItsOriginal) {
  EXPECT_EQ(Decoded(GetParam().stream, true), Decoded(GetParam().original, true));
}

// ... and the final pass converts them by the generic formulas.
TEST_P(SingleScanTest, IsConvertedOnceByTheFinalPass) {
  EXPECT_EQ(Decoded(GetParam().stream, false), test_support::ModelGenericBgr(Decoded(GetParam().original, true)));
}

// Against the original's own decode (a fused routine where it has one) only
// the green rounding differs, by one.
TEST_P(SingleScanTest, DiffersFromTheFusedDecodeOnlyInGreenRounding) {
  const std::vector<uint8_t> single = Decoded(GetParam().stream, false);
  const std::vector<uint8_t> fused = Decoded(GetParam().original, false);
  ASSERT_EQ(single.size(), fused.size());
  for (size_t i = 0; i < single.size(); ++i) {
    const int difference = std::abs(int{single[i]} - int{fused[i]});
    ASSERT_LE(difference, i % 3 == 1 ? 1 : 0) << "byte " << i;
  }
}

// A bottom-up DIB with padded lines gets the same pixels, and the padding
// (which the final pass must not reach) keeps its bytes.
TEST_P(SingleScanTest, BottomUpPaddedDibGetsTheSamePixels) {
  DibRequest request;
  request.bottom_up = true;
  request.pad = 3;
  request.fill = 0x5A;
  const DibResult dib = DecodeIntoDib(Stream(GetParam().stream), request);
  ASSERT_EQ(dib.result, JpegSuccess);
  EXPECT_EQ(ImageSamples(dib, request), Decoded(GetParam().stream, false));
  for (int line = 0; line < dib.dib_height; ++line) {
    for (int p = 0; p < request.pad; ++p) {
      ASSERT_EQ(dib.pixels[static_cast<size_t>(line * dib.line_bytes + dib.width * 3 + p)], 0x5A);
    }
  }
}

TEST_P(SingleScanTest, InterruptedDecodeEqualsOneCall) {
  DibRequest request;
  request.interrupt = true;
  EXPECT_EQ(Decoded(GetParam().stream, false, request), Decoded(GetParam().stream, false));
}

std::string CaseName(const ::testing::TestParamInfo<SingleScanCase>& info) {
  return testing::TestNameOf(info.param.name);
}

INSTANTIATE_TEST_SUITE_P(Oracle, SingleScanTest, ::testing::ValuesIn(SingleScanCases()), CaseName);

TEST(SingleScanData, IsThere) { EXPECT_GE(SingleScanCases().size(), 90u) << "the jpeg_oracle fixture makes them"; }

// Factors that do not divide the largest one cannot be replicated: the image
// is refused before anything is decoded, and the DIB stays as it was.
TEST(UnusableLayoutTest, IsRefusedWithTheDibUntouched) {
  testing::StreamBuilder builder;
  builder.Soi().Dqt(0).Dht(0, 0).Dht(1, 0);
  builder.Sof(0, 24, 8, {{1, 3, 1, 0}, {2, 2, 1, 0}, {3, 1, 1, 0}});
  builder.Sos({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}}).Raw({0, 0, 0, 0}).Eoi();
  DibRequest request;
  request.fill = 0x77;
  const DibResult dib = DecodeIntoDib(builder.bytes(), request);
  EXPECT_EQ(dib.result, JpegErrUnsupportedSubsampling);
  EXPECT_EQ(std::count(dib.pixels.begin(), dib.pixels.end(), 0x77), static_cast<long>(dib.pixels.size()));
}

}  // namespace
}  // namespace halvora::jpeg
