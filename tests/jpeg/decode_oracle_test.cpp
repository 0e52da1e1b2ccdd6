// Whole streams decoded and compared with libjpeg-turbo's decode of the same
// stream (integer DCT, no fancy upsampling): generated streams of every
// layout the sequential decoder writes directly, the corpus's sequential
// files, and lossless transcodes that must decode byte for byte alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <halvora/jpeg.h>
#include "tests/jpeg/decode_support.h"
#include "tests/support/tsv_table.h"

namespace halvora::jpeg {
namespace {

namespace fs = std::filesystem;
using testing::DecodeIntoDib;
using testing::DibRequest;
using testing::DibResult;
using testing::ImageSamples;
using testing::MaxDifference;
using testing::OracleCase;
using testing::Pnm;

// Rounding of the fused colour conversion and of the two inverse DCTs keeps
// every sample within this distance of libjpeg-turbo's.
constexpr int kOracleTolerance = 4;
// The scaled (method 0) transform against the integer one, as measured over
// the generated streams (4 at most) and the corpus (5 at most).
constexpr int kMethodTolerance = 5;

// The DIB the viewer uses for the reference's kind: BGR for colour, one
// grey channel for grey.
DibRequest RequestFor(const Pnm& reference) {
  DibRequest request;
  if (reference.channels == 1) {
    request.color = JpegColorGrey;
    request.channels = 1;
  }
  return request;
}

struct Comparison {
  int result = 0;
  int difference = -1;
};

Comparison CompareWithReference(const std::vector<uint8_t>& stream, const fs::path& referencePath, int dctMethod) {
  Pnm reference;
  EXPECT_TRUE(testing::ReadPnm(referencePath, reference)) << referencePath;
  DibRequest request = RequestFor(reference);
  request.dct_method = dctMethod;
  const DibResult dib = DecodeIntoDib(stream, request);
  Comparison comparison{dib.result, -1};
  if (dib.result == JpegSuccess)
    comparison.difference = MaxDifference(ImageSamples(dib, request), testing::InDibOrder(reference));
  return comparison;
}

std::vector<OracleCase> CasesWithReference() {
  std::vector<OracleCase> cases;
  for (const OracleCase& entry : testing::ReadOracleCases()) {
    if (entry.same_as.empty()) cases.push_back(entry);
  }
  return cases;
}

std::vector<OracleCase> Transcodes() {
  std::vector<OracleCase> cases;
  for (const OracleCase& entry : testing::ReadOracleCases()) {
    if (!entry.same_as.empty()) cases.push_back(entry);
  }
  return cases;
}

std::string CaseName(const ::testing::TestParamInfo<OracleCase>& info) {
  return testing::TestNameOf(info.param.name);
}

TEST(OracleData, IsThere) {
  EXPECT_GE(CasesWithReference().size(), 30u) << "run tests/jpeg/make_oracle.sh (the jpeg_oracle fixture)";
  EXPECT_GE(Transcodes().size(), 5u);
}

class GeneratedStreamTest : public ::testing::TestWithParam<OracleCase> {};

TEST_P(GeneratedStreamTest, DecodesCloseToLibjpegTurbo) {
  const fs::path folder = testing::OracleFolder();
  const std::vector<uint8_t> stream = testing::ReadFileBytes(folder / GetParam().stream);
  for (int method : {1, 0}) {
    SCOPED_TRACE("dct_method " + std::to_string(method));
    const Comparison comparison = CompareWithReference(stream, folder / GetParam().reference, method);
    ASSERT_EQ(comparison.result, JpegSuccess);
    EXPECT_GE(comparison.difference, 0);
    EXPECT_LE(comparison.difference, kOracleTolerance);
  }
}

TEST_P(GeneratedStreamTest, MethodsAgree) {
  const std::vector<uint8_t> stream = testing::ReadFileBytes(testing::OracleFolder() / GetParam().stream);
  DibRequest scaled;
  scaled.dct_method = 0;
  const DibRequest integer;
  const DibResult a = DecodeIntoDib(stream, scaled);
  const DibResult b = DecodeIntoDib(stream, integer);
  ASSERT_EQ(a.result, JpegSuccess);
  ASSERT_EQ(b.result, JpegSuccess);
  EXPECT_LE(MaxDifference(a.pixels, b.pixels), kMethodTolerance);
}

// The packed kernels equal their plain twins, so whole decodes do too.
TEST_P(GeneratedStreamTest, PackedAndPlainKernelSetsDecodeIdentically) {
  const std::vector<uint8_t> stream = testing::ReadFileBytes(testing::OracleFolder() / GetParam().stream);
  for (int method : {1, 0}) {
    DibRequest plain, packed;
    plain.dct_method = packed.dct_method = method;
    plain.processor_kind = 0;
    packed.processor_kind = 6;
    const DibResult a = DecodeIntoDib(stream, plain);
    const DibResult b = DecodeIntoDib(stream, packed);
    ASSERT_EQ(a.result, JpegSuccess);
    EXPECT_EQ(a.pixels, b.pixels) << "dct_method " << method;
  }
}

INSTANTIATE_TEST_SUITE_P(Oracle, GeneratedStreamTest, ::testing::ValuesIn(CasesWithReference()), CaseName);

class TranscodeTest : public ::testing::TestWithParam<OracleCase> {};

// Restart intervals and optimised tables change the coding, not the
// coefficients.
TEST_P(TranscodeTest, DecodesLikeItsOriginal) {
  const fs::path folder = testing::OracleFolder();
  const DibRequest request;
  const DibResult transcoded = DecodeIntoDib(testing::ReadFileBytes(folder / GetParam().stream), request);
  const DibResult original = DecodeIntoDib(testing::ReadFileBytes(folder / (GetParam().same_as + ".jpg")), request);
  ASSERT_EQ(transcoded.result, JpegSuccess);
  ASSERT_EQ(original.result, JpegSuccess);
  EXPECT_TRUE(transcoded.pixels == original.pixels);
}

INSTANTIATE_TEST_SUITE_P(Oracle, TranscodeTest, ::testing::ValuesIn(Transcodes()), CaseName);

// ---- The corpus ----

struct CorpusFile {
  std::string path;
  int components = 0;
};

std::vector<CorpusFile> SequentialCorpusFiles() {
  std::vector<CorpusFile> files;
  for (const test_support::TsvRow& row : test_support::ReadTsv(testing::CorpusFolder() / "MANIFEST.tsv")) {
    if (row["path"].rfind("valid/", 0) != 0 || (row["sof"] != "0" && row["sof"] != "1")) continue;
    files.push_back({row["path"], std::stoi(row["components"])});
  }
  return files;
}

TEST(CorpusDecodeTest, SequentialFilesDecodeCloseToLibjpegTurbo) {
  const std::vector<CorpusFile> files = SequentialCorpusFiles();
  ASSERT_GE(files.size(), 40u);
  int compared = 0;
  for (const CorpusFile& file : files) {
    SCOPED_TRACE(file.path);
    const std::vector<uint8_t> stream = testing::ReadFileBytes(testing::CorpusFolder() / file.path);
    const fs::path reference = testing::OracleFolder() / ("corpus-" + fs::path(file.path).stem().string() + ".pnm");
    if (file.components == 4) {
      DibRequest request;
      request.color = JpegColorRgba;
      request.channels = 4;
      EXPECT_EQ(DecodeIntoDib(stream, request).result, JpegSuccess);
      continue;
    }
    const Comparison comparison = CompareWithReference(stream, reference, 1);
    ASSERT_EQ(comparison.result, JpegSuccess);
    EXPECT_GE(comparison.difference, 0);
    EXPECT_LE(comparison.difference, kOracleTolerance);
    DibRequest scaled;
    scaled.dct_method = 0;
    const DibResult a = DecodeIntoDib(stream, scaled);
    const DibResult b = DecodeIntoDib(stream, DibRequest{});
    ASSERT_EQ(a.result, JpegSuccess);
    EXPECT_LE(MaxDifference(a.pixels, b.pixels), kMethodTolerance);
    DibRequest plain;
    plain.processor_kind = 0;
    DibRequest packed;
    packed.processor_kind = 6;
    EXPECT_EQ(DecodeIntoDib(stream, plain).pixels, DecodeIntoDib(stream, packed).pixels) << "kernel sets differ";
    ++compared;
  }
  EXPECT_GE(compared, 40);
}

}  // namespace
}  // namespace halvora::jpeg
