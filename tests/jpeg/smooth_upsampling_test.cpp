// Interpolated chroma end to end. The decoder writes each MCU once the MCUs
// around it are in, from the blocks it keeps; a model that runs the filter
// formulas over the whole chroma planes at once (taken from a replicating
// decode, whose chroma samples sit at the even pixels) must give the same
// bytes, so a neighbour taken from the wrong MCU shows at the MCU edges. The
// half and quarter reads of horizontally halved chroma follow the same model
// on their reduced samples; a progressive transcode, which keeps its
// original's coefficients, decodes like the original (region reads of both
// are checked in region_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <halvora/jpeg.h>
#include "tests/jpeg/decode_support.h"
#include "tests/jpeg/transcode_cases.h"
#include "tests/support/ycbcr_model.h"

namespace halvora::jpeg {
namespace {

using testing::DecodeIntoDib;
using testing::DibRequest;
using testing::DibResult;
using testing::ImageSamples;
using testing::OracleCase;
using testing::TranscodeCase;

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> samples;  // three bytes a pixel, top-down
};

Image Decode(const std::vector<uint8_t>& stream, DibRequest request) {
  const DibResult dib = DecodeIntoDib(stream, request);
  EXPECT_EQ(dib.result, JpegSuccess);
  return {dib.width, dib.height, ImageSamples(dib, request)};
}

// Y, Cb and Cr bytes as they are: data and DIB of uncoded colour.
DibRequest Raw(bool smooth, int scale = 1) {
  DibRequest request;
  request.jpeg_color = request.color = JpegColorOther;
  request.smooth = smooth;
  request.scale = scale;
  return request;
}

void ExpectSameSamples(const Image& decoded, const Image& expected) {
  ASSERT_EQ(decoded.samples.size(), expected.samples.size());
  for (size_t i = 0; i < expected.samples.size(); ++i) {
    const size_t pixel = i / 3;
    ASSERT_EQ(decoded.samples[i], expected.samples[i])
        << "pixel " << pixel % decoded.width << "," << pixel / decoded.width << " byte " << i % 3;
  }
}

// One chroma component of a replicating decode at its own resolution
// (width / 2, height / vertical, rounded up): the samples at even pixels.
struct ChromaPlane {
  int width;
  int height;
  std::vector<int> samples;
  int At(int row, int column) const {
    return samples[static_cast<size_t>(std::clamp(row, 0, height - 1) * width + std::clamp(column, 0, width - 1))];
  }
};

ChromaPlane ChromaOf(const Image& replicated, int byte, int vertical) {
  ChromaPlane plane{(replicated.width + 1) / 2, (replicated.height + vertical - 1) / vertical, {}};
  for (int row = 0; row < plane.height; ++row) {
    for (int column = 0; column < plane.width; ++column) {
      const size_t pixel = static_cast<size_t>(row * vertical) * replicated.width + 2 * column;
      plane.samples.push_back(replicated.samples[3 * pixel + byte]);
    }
  }
  return plane;
}

// The filters over the whole plane; beyond the image a sample is its own neighbour.
int Interpolated(const ChromaPlane& s, int vertical, int x, int y) {
  const int k = x / 2, b = x % 2;
  const int dx = b == 0 ? -1 : 1;
  if (vertical == 1) return (3 * s.At(y, k) + s.At(y, k + dx) + (b == 0 ? 1 : 2)) >> 2;
  const int i = y / 2, dy = y % 2 == 0 ? -1 : 1;
  return (9 * s.At(i, k) + 3 * s.At(i, k + dx) + 3 * s.At(i + dy, k) + s.At(i + dy, k + dx) + (b == 0 ? 8 : 7)) >> 4;
}

Image SmoothModel(const Image& replicated, int vertical) {
  Image model = replicated;
  const ChromaPlane cb = ChromaOf(replicated, 1, vertical), cr = ChromaOf(replicated, 2, vertical);
  for (int y = 0; y < replicated.height; ++y) {
    for (int x = 0; x < replicated.width; ++x) {
      const size_t pixel = static_cast<size_t>(y) * replicated.width + x;
      model.samples[3 * pixel + 1] = static_cast<uint8_t>(Interpolated(cb, vertical, x, y));
      model.samples[3 * pixel + 2] = static_cast<uint8_t>(Interpolated(cr, vertical, x, y));
    }
  }
  return model;
}

std::vector<OracleCase> InterpolatedCases() {
  std::vector<OracleCase> cases;
  for (const OracleCase& entry : testing::ReadOracleCases()) {
    if (entry.name.rfind("s420-", 0) == 0 || entry.name.rfind("s422-", 0) == 0) cases.push_back(entry);
  }
  return cases;
}

class SmoothUpsamplingTest : public ::testing::TestWithParam<OracleCase> {
 protected:
  void SetUp() override { stream_ = testing::ReadFileBytes(testing::OracleFolder() / GetParam().stream); }
  int Vertical() const { return GetParam().name.rfind("s420-", 0) == 0 ? 2 : 1; }
  std::vector<uint8_t> stream_;
};

TEST_P(SmoothUpsamplingTest, EqualsTheFiltersOverTheWholeImage) {
  ExpectSameSamples(Decode(stream_, Raw(true)), SmoothModel(Decode(stream_, Raw(false)), Vertical()));
}

// The half and quarter reads of 2x1 chroma interpolate the reduced samples;
// the eighth reads (single samples a block) and the reduced 4:2:0 reads
// (chroma already at the luminance's resolution) replicate as without.
TEST_P(SmoothUpsamplingTest, ReducedReadsInterpolateOnlyHalvedRows) {
  for (int scale : {2, 4, 8}) {
    SCOPED_TRACE("scale " + std::to_string(scale));
    const Image replicated = Decode(stream_, Raw(false, scale));
    const bool interpolates = Vertical() == 1 && scale < 8;
    ExpectSameSamples(Decode(stream_, Raw(true, scale)), interpolates ? SmoothModel(replicated, 1) : replicated);
  }
}

TEST_P(SmoothUpsamplingTest, ConvertsTheInterpolatedSamples) {
  EXPECT_EQ(Decode(stream_, [] {
              DibRequest request;
              request.smooth = true;
              return request;
            }()).samples,
            test_support::ModelGenericBgr(Decode(stream_, Raw(true)).samples));
}

TEST_P(SmoothUpsamplingTest, InterruptedDecodeEqualsOneCall) {
  for (int scale : {1, 2}) {
    DibRequest interrupted = Raw(true, scale);
    interrupted.interrupt = true;
    EXPECT_EQ(Decode(stream_, interrupted).samples, Decode(stream_, Raw(true, scale)).samples) << "scale " << scale;
  }
}

std::string CaseName(const ::testing::TestParamInfo<OracleCase>& info) { return testing::TestNameOf(info.param.name); }

INSTANTIATE_TEST_SUITE_P(Oracle, SmoothUpsamplingTest, ::testing::ValuesIn(InterpolatedCases()), CaseName);

// ---- Progressive images and images coded in single-component scans ----

// A lossless transcode holds its original's coefficients, so its smooth
// decode must equal the original's: the chroma neighbours come from the
// coefficient buffer of a progressive image, and from the stored blocks of
// the chroma scans of an image coded in scans of fewer components.
class SmoothTranscodeTest : public ::testing::TestWithParam<TranscodeCase> {
 protected:
  void SetUp() override {
    stream_ = testing::ReadFileBytes(testing::OracleFolder() / GetParam().stream);
    original_ = testing::ReadFileBytes(testing::OracleFolder() / GetParam().original);
  }
  std::vector<uint8_t> stream_;
  std::vector<uint8_t> original_;
};

TEST_P(SmoothTranscodeTest, DecodesLikeItsSequentialOriginal) {
  for (int scale : {1, 2, 4}) {
    SCOPED_TRACE("scale " + std::to_string(scale));
    ExpectSameSamples(Decode(stream_, Raw(true, scale)), Decode(original_, Raw(true, scale)));
  }
}

TEST_P(SmoothTranscodeTest, ConvertsLikeItsSequentialOriginal) {
  DibRequest request;
  request.smooth = true;
  EXPECT_EQ(Decode(stream_, request).samples, Decode(original_, request).samples);
}

std::string TranscodeName(const ::testing::TestParamInfo<TranscodeCase>& info) {
  return testing::TestNameOf(info.param.name);
}

INSTANTIATE_TEST_SUITE_P(Progressive, SmoothTranscodeTest,
                         ::testing::ValuesIn(testing::ReadTranscodeCases("progressive.tsv", {"s420-", "s422-"})),
                         TranscodeName);
INSTANTIATE_TEST_SUITE_P(SingleScans, SmoothTranscodeTest,
                         ::testing::ValuesIn(testing::ReadTranscodeCases("single-scans.tsv", {"s420-", "s422-"})),
                         TranscodeName);

}  // namespace
}  // namespace halvora::jpeg
