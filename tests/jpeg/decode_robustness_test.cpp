// Damaged entropy-coded data: streams cut short, damage kept inside its
// restart interval, and thousands of mutated sequential streams, each of
// which must end with a result code (the sanitizer build checks that none
// reads or writes out of bounds).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <halvora/jpeg.h>
#include "tests/jpeg/decode_support.h"
#include "tests/jpeg/record.h"
#include "tests/jpeg/stream_mutator.h"

namespace halvora::jpeg {
namespace {

using testing::DecodeIntoDib;
using testing::DibRequest;
using testing::DibResult;

std::vector<uint8_t> Stream(const std::string& name) {
  return testing::ReadFileBytes(testing::OracleFolder() / (name + ".jpg"));
}

// Where the entropy-coded data of the (only) scan starts.
size_t ScanDataStart(const std::vector<uint8_t>& stream) {
  for (size_t i = 0; i + 3 < stream.size(); ++i) {
    if (stream[i] == 0xFF && stream[i + 1] == 0xDA) return i + 2 + (stream[i + 2] << 8 | stream[i + 3]);
  }
  return stream.size();
}

TEST(TruncatedStreamTest, EndsWithMemoryErrorOrDataError) {
  const std::vector<uint8_t> whole = Stream("s420-64x48-restart1");
  const size_t dataStart = ScanDataStart(whole);
  ASSERT_LT(dataStart, whole.size());
  for (size_t size = dataStart; size + 2 < whole.size(); ++size) {
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    const int result = DecodeIntoDib(cut, DibRequest{}).result;
    // Missing bits read as 0 and the scan is decoded to its end; the read
    // then fails for want of an end-of-image marker. A cut right after 0xFF
    // inside the data is a data error.
    const int expected = cut.back() == 0xFF ? JpegErrData : JpegErrMemory;
    ASSERT_EQ(result, expected) << "cut at " << size;
  }
}

// With a restart marker after every MCU, a damaged byte spoils one MCU only.
TEST(RestartDamageTest, StaysInsideItsInterval) {
  const std::vector<uint8_t> original = Stream("s420-64x48-restart1");
  const DibRequest request;
  const DibResult good = DecodeIntoDib(original, request);
  ASSERT_EQ(good.result, JpegSuccess);
  const size_t dataStart = ScanDataStart(original);
  int damagedStreams = 0;
  for (size_t at = dataStart + 3; at + 40 < original.size(); at += 37) {
    if (original[at] == 0xFF || original[at - 1] == 0xFF) continue;
    std::vector<uint8_t> damaged = original;
    damaged[at] = static_cast<uint8_t>(damaged[at] ^ 0x5A);
    if (damaged[at] == 0xFF) continue;
    const DibResult bad = DecodeIntoDib(damaged, request);
    ASSERT_EQ(bad.result, JpegSuccess);
    std::set<int> mcus;
    for (int y = 0; y < good.height; ++y) {
      for (int x = 0; x < good.width * 3; ++x) {
        const size_t i = static_cast<size_t>(y * good.line_bytes + x);
        if (good.pixels[i] != bad.pixels[i]) mcus.insert((y / 16) * 4 + x / 3 / 16);
      }
    }
    EXPECT_LE(mcus.size(), 1u) << "byte " << at;
    ++damagedStreams;
  }
  EXPECT_GT(damagedStreams, 5);
}

// Edits aimed at the entropy-coded data (and now and then the headers).
const MutationPolicy kInScans{6,
                              {Edit::kRandomByte, Edit::kMarkerByte, Edit::kFlipBit, Edit::kInsertRestart,
                               Edit::kDropByte, Edit::kCut},
                              8};

// Image reads of a mutated stream into a DIB of the size the parameter read
// reports (frames whose header the mutation made huge get a small DIB).
int DecodeMutated(const std::vector<uint8_t>& stream, int64_t& decoded) {
  testing::Record record;
  int result = record.ReadBuffer(stream, BufferReadParams);
  if (result != JpegSuccess) return result;
  constexpr int64_t kMaxPixels = 128 * 128;
  const int64_t pixels = int64_t{record->jpeg_width} * record->jpeg_height;
  if (pixels > kMaxPixels) return result;
  const int width = record->jpeg_width;
  const int height = record->jpeg_height;
  const int channels = record->dib_channels;
  std::vector<uint8_t> dib(static_cast<size_t>(width * channels + 1) * static_cast<size_t>(height));
  record.UseDib(dib, width, -height, channels, record->dib_color);
  record->dib_pad_bytes = 1;
  result = record.ReadBuffer(stream, BufferReadImage);
  ++decoded;
  return result;
}

// Every damaged stream of the corpus whose frame is of a size a page can
// have is decoded into a DIB of that size.
TEST(DamagedStreamTest, EveryImageReadEndsWithACode) {
  constexpr int64_t kMaxPixels = 16 << 20;
  int decoded = 0;
  for (const auto& entry : std::filesystem::directory_iterator(testing::CorpusFolder() / "damaged")) {
    SCOPED_TRACE(entry.path().string());
    const std::vector<uint8_t> stream = testing::ReadFileBytes(entry.path());
    if (stream.empty()) continue;
    testing::Record record;
    if (record.ReadBuffer(stream, BufferReadParams) != JpegSuccess) continue;
    if (int64_t{record->jpeg_width} * record->jpeg_height > kMaxPixels) continue;
    std::vector<uint8_t> dib(static_cast<size_t>(record->jpeg_width) * static_cast<size_t>(record->jpeg_height) *
                             static_cast<size_t>(record->dib_channels));
    record.UseDib(dib, record->jpeg_width, -record->jpeg_height, record->dib_channels, record->dib_color);
    EXPECT_LE(record.ReadBuffer(stream, BufferReadImage), JpegSuccess);
    ++decoded;
  }
  EXPECT_GT(decoded, 50);
}

TEST(MutatedStreamTest, EveryStreamEndsWithACode) {
  const char* seeds[] = {"s420-64x48-restart1", "s422-33x65-restart-row", "grey-33x65-restart2",
                         "s444-17x17",          "rgb-33x65",              "s420-17x17"};
  constexpr int kPerSeed = 700;
  int streams = 0;
  int64_t decoded = 0;
  for (const char* seed : seeds) {
    const std::vector<uint8_t> original = Stream(seed);
    ASSERT_FALSE(original.empty()) << seed;
    const size_t dataStart = ScanDataStart(original);
    StreamMutator mutator(static_cast<uint32_t>(original.size()));
    for (int i = 0; i < kPerSeed; ++i) {
      const int result = DecodeMutated(mutator.Mutate(original, dataStart, kInScans), decoded);
      ASSERT_LE(result, JpegSuccess) << seed << " mutation " << i;
      ++streams;
    }
  }
  EXPECT_EQ(streams, 4200);
  EXPECT_GT(decoded, 3000);
}

}  // namespace
}  // namespace halvora::jpeg
