// The codec over the shared corpus of real streams: parameter reads agree with
// the manifest, refused and damaged streams end with a code, and a few
// thousand mutated streams do too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <halvora/jpeg.h>
#include "jpeg/interface/private_state.h"
#include "tests/jpeg/record.h"
#include "tests/jpeg/stream_mutator.h"
#include "tests/support/tsv_table.h"

#if defined(__SANITIZE_ADDRESS__)
// A mutated frame size can ask for a coefficient buffer of many gigabytes;
// that must come back as "Memory error", not stop the test.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif

namespace halvora::jpeg {
namespace {

namespace fs = std::filesystem;
using testing::Record;

fs::path CorpusDir() {
  const char* dir = std::getenv("HALVORA_TESTDATA_DIR");
  return dir != nullptr ? fs::path(dir) : fs::path();
}

std::vector<uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The layout code of the manifest's sampling list ("2x2,1x1,1x1").
int SubsamplingOf(const std::string& sampling) {
  const std::vector<std::string> factors = test_support::SplitFields(sampling, ',');
  const std::map<std::string, int> layouts = {
      {"1x1,1x1,1x1", 0}, {"2x2,1x1,1x1", 1}, {"2x1,1x1,1x1", 2}, {"1x1,1x1,1x1,1x1", 0},
      {"2x2,1x1,1x1,2x2", 3}, {"2x1,1x1,1x1,2x1", 4}};
  if (factors.size() == 1) return 0;
  const auto found = layouts.find(sampling);
  return found != layouts.end() ? found->second : 255;
}

// jpeg_color after a parameter read: the Adobe transform decides where it is
// present; otherwise one component is grey and the rest keep the default.
int ColorOf(int components, const std::string& transform) {
  if (components == 1) return JpegColorGrey;
  if (transform == "-") return JpegColorYCbCr;
  if (components == 3) return transform == "0" ? JpegColorRgb : JpegColorYCbCr;
  return transform == "0" ? JpegColorRgba : JpegColorYCbCrAlpha;
}

std::vector<fs::path> FilesIn(const char* folder) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(CorpusDir() / folder)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

class CorpusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (CorpusDir().empty() || !fs::exists(CorpusDir() / "MANIFEST.tsv")) GTEST_SKIP() << "no HALVORA_TESTDATA_DIR";
  }
};

TEST_F(CorpusTest, ParameterReadsAgreeWithTheManifest) {
  int checked = 0;
  for (const test_support::TsvRow& row : test_support::ReadTsv(CorpusDir() / "MANIFEST.tsv")) {
    if (row["path"].rfind("valid/", 0) != 0) continue;
    SCOPED_TRACE(row["path"]);
    const std::vector<uint8_t> stream = ReadAll(CorpusDir() / row["path"]);
    Record record;
    ASSERT_EQ(record.ReadBuffer(stream), JpegSuccess);
    const int components = std::stoi(row["components"]);
    EXPECT_EQ(record->jpeg_width, std::stoi(row["width"]));
    EXPECT_EQ(record->jpeg_height, std::stoi(row["height"]));
    EXPECT_EQ(record->jpeg_channels, components);
    EXPECT_EQ(record->jpeg_subsampling, SubsamplingOf(row["sampling"]));
    EXPECT_EQ(record->jpeg_color, ColorOf(components, row["app14_transform"]));
    const MarkerState& markers = Private(record.get()).markers;
    EXPECT_EQ(markers.sof_kind, std::stoi(row["sof"]));
    // The first restart interval, which is the one before the first scan.
    EXPECT_EQ(markers.frame.restart_interval, std::stoi(test_support::SplitFields(row["restart_interval"], '/')[0]));
    ++checked;
  }
  EXPECT_GT(checked, 50);
}

TEST_F(CorpusTest, FileAndBufferReadsGiveTheSameAnswers) {
  for (const char* folder : {"valid", "unsupported", "damaged"}) {
    for (const fs::path& path : FilesIn(folder)) {
      SCOPED_TRACE(path.string());
      Record fromBuffer;
      Record fromFile;
      const std::vector<uint8_t> stream = ReadAll(path);
      if (stream.empty()) continue;
      const std::string name = path.string();
      const int bufferResult = fromBuffer.ReadBuffer(stream);
      const int fileResult = fromFile.ReadFile(name.c_str());
      ASSERT_EQ(fileResult, bufferResult == JpegErrMemory ? JpegErrFile : bufferResult);
      if (bufferResult != JpegSuccess) continue;
      EXPECT_EQ(std::memcmp(&fromBuffer->jpeg_width, &fromFile->jpeg_width,
                            sizeof(int32_t) * 10),
                0);
      EXPECT_EQ(fromBuffer->dib_color, fromFile->dib_color);
      EXPECT_EQ(fromBuffer->dib_channels, fromFile->dib_channels);
    }
  }
}

TEST_F(CorpusTest, UnsupportedFramesAreRefused) {
  for (const fs::path& path : FilesIn("unsupported")) {
    SCOPED_TRACE(path.string());
    Record record;
    EXPECT_EQ(record.ReadBuffer(ReadAll(path)), JpegErrUnsupportedFrame);
  }
}

// Every kind of read of a stream ends with a code; a sanitizer build checks
// that none of them touches memory it must not.
void ReadEveryWay(const std::vector<uint8_t>& stream) {
  if (stream.empty()) return;
  {
    Record record;
    const int params = record.ReadBuffer(stream);
    EXPECT_LE(params, JpegSuccess);
    // Damaged data decodes to the end of the frame it declares, so frames
    // too large to decode in a test's time only have their parameters read.
    constexpr int64_t kMaxDecodedPixels = 256 * 256;
    if (params == JpegSuccess && int64_t{record->jpeg_width} * record->jpeg_height <= kMaxDecodedPixels) {
      std::vector<uint8_t> dib(64 * 64 * 4);
      record.UseDib(dib, 64, -64, record->dib_channels, record->dib_color);
      EXPECT_LE(record.ReadBuffer(stream, BufferReadImage), JpegSuccess);
    }
  }
  {
    Record record;
    std::vector<uint8_t> dib(32 * 32 * 3);
    record.UseDib(dib, 32, 32, 3, JpegColorRgb);
    std::vector<uint8_t> comment(16);
    record->state.jpeg_comment = comment.data();
    record->state.jpeg_comment_size = 16;
    EXPECT_LE(record.ReadBuffer(stream, BufferReadThumbnail), JpegSuccess);
  }
  {
    Record record;
    EXPECT_LE(record.ReadBuffer(stream, BufferReadHeader), JpegSuccess);
  }
}

TEST_F(CorpusTest, DamagedStreamsEndWithACode) {
  for (const fs::path& path : FilesIn("damaged")) {
    SCOPED_TRACE(path.string());
    ReadEveryWay(ReadAll(path));
  }
}

// Damage anywhere in the stream: the headers matter most to these reads.
const MutationPolicy kAnywhere{
    4, {Edit::kRandomByte, Edit::kMarkerByte, Edit::kFlipBit, Edit::kCut, Edit::kInsertByte}, 0};

TEST_F(CorpusTest, MutatedStreamsEndWithACode) {
  // Small streams of varied layouts keep the run short; only the segments
  // before the entropy-coded data matter to these reads.
  const char* seeds[] = {"valid/jd-its-jfxx-rgb-thumbnail-420.jpg", "valid/wuffs-peacock-progressive.jpg",
                         "valid/pil-4x4-dri1-adobe1.jpg", "valid/jd-cmyk-adobe0-444.jpg",
                         "valid/wuffs-peacock-4x1-2x1-2x2.jpg", "valid/jd-gray-10x10.jpg"};
  constexpr int kPerSeed = 600;
  constexpr size_t kHeadBytes = 2048;
  int streams = 0;
  for (const char* seed : seeds) {
    std::vector<uint8_t> original = ReadAll(CorpusDir() / seed);
    if (original.size() > kHeadBytes) original.resize(kHeadBytes);
    StreamMutator mutator(static_cast<uint32_t>(original.size()));
    for (int i = 0; i < kPerSeed; ++i) {
      SCOPED_TRACE(std::string(seed) + " mutation " + std::to_string(i));
      ReadEveryWay(mutator.Mutate(original, 0, kAnywhere));
      ++streams;
    }
  }
  EXPECT_EQ(streams, 3600);
}

}  // namespace
}  // namespace halvora::jpeg
