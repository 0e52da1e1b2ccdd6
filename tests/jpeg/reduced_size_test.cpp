// The half, quarter and eighth reads against libjpeg-turbo's scaled decodes
// of the same streams (integer DCT, no fancy upsampling).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <halvora/jpeg.h>
#include "tests/jpeg/decode_support.h"
#include "tests/support/tsv_table.h"

namespace halvora::jpeg {
namespace {

using testing::DecodeIntoDib;
using testing::DibRequest;
using testing::DibResult;
using testing::ImageSamples;
using testing::MaxDifference;
using testing::Pnm;

// As measured: the integer transforms at 4x4, 2x2 and 1x1 stay within 2 of
// libjpeg-turbo's, the scaled (method 0) ones within 4.
constexpr int kIntegerTolerance = 2;
constexpr int kScaledTolerance = 4;

struct ReducedCase {
  std::string name;
  std::string stream;
  int scale = 1;
  std::string reference;
};

std::vector<ReducedCase> ReducedCases() {
  std::vector<ReducedCase> cases;
  for (const test_support::TsvRow& row : test_support::ReadTsv(testing::OracleFolder() / "reduced.tsv")) {
    cases.push_back({row["name"], row["stream"], std::stoi(row["scale"]), row["reference"]});
  }
  return cases;
}

DibRequest RequestFor(const Pnm& reference, int scale) {
  DibRequest request;
  request.scale = scale;
  if (reference.channels == 1) {
    request.color = JpegColorGrey;
    request.channels = 1;
  }
  return request;
}

class ReducedSizeTest : public ::testing::TestWithParam<ReducedCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::ReadPnm(testing::OracleFolder() / GetParam().reference, reference_));
    stream_ = testing::ReadFileBytes(testing::OracleFolder() / GetParam().stream);
  }
  Pnm reference_;
  std::vector<uint8_t> stream_;
};

TEST_P(ReducedSizeTest, HasTheRoundedUpSizeAndDecodesCloseToLibjpegTurbo) {
  for (int method : {1, 0}) {
    SCOPED_TRACE("dct_method " + std::to_string(method));
    DibRequest request = RequestFor(reference_, GetParam().scale);
    request.dct_method = method;
    const DibResult dib = DecodeIntoDib(stream_, request);
    ASSERT_EQ(dib.result, JpegSuccess);
    EXPECT_EQ(dib.width, reference_.width);
    EXPECT_EQ(dib.height, reference_.height);
    const int difference = MaxDifference(ImageSamples(dib, request), testing::InDibOrder(reference_));
    EXPECT_GE(difference, 0);
    EXPECT_LE(difference, method == 1 ? kIntegerTolerance : kScaledTolerance);
  }
}

// A bottom-up DIB with padded lines gets the same pixels, and nothing is
// written into the padding.
TEST_P(ReducedSizeTest, WritesOnlyTheImageOfAPaddedBottomUpDib) {
  DibRequest topDown = RequestFor(reference_, GetParam().scale);
  DibRequest bottomUp = topDown;
  bottomUp.bottom_up = true;
  bottomUp.pad = 3;
  bottomUp.fill = 0xA5;
  const DibResult a = DecodeIntoDib(stream_, topDown);
  const DibResult b = DecodeIntoDib(stream_, bottomUp);
  ASSERT_EQ(b.result, JpegSuccess);
  EXPECT_EQ(ImageSamples(a, topDown), ImageSamples(b, bottomUp));
  for (int line = 0; line < b.dib_height; ++line) {
    for (int p = 0; p < bottomUp.pad; ++p) {
      ASSERT_EQ(b.pixels[static_cast<size_t>(line * b.line_bytes + b.width * bottomUp.channels + p)], 0xA5);
    }
  }
}

std::string CaseName(const ::testing::TestParamInfo<ReducedCase>& info) {
  return testing::TestNameOf(info.param.name);
}

INSTANTIATE_TEST_SUITE_P(Oracle, ReducedSizeTest, ::testing::ValuesIn(ReducedCases()), CaseName);

TEST(ReducedSizeData, IsThere) { EXPECT_GE(ReducedCases().size(), 60u) << "the jpeg_oracle fixture makes them"; }

}  // namespace
}  // namespace halvora::jpeg
