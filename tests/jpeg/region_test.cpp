// Reads of a region of interest: the DIB holds the rectangle only, and it
// must equal the same rectangle cut from the whole image's decode, whatever
// the stream's coding (one scan, restart intervals, one scan per component,
// progressive), the read's size, the source (buffer or file), the order of
// reads on one record and interrupted decoding.
#include <gtest/gtest.h>

#include <algorithm>
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

struct Rect {
  int left, top, right, bottom;
};

std::string Describe(const Rect& rect) {
  return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
         std::to_string(rect.bottom);
}

struct ReadOptions {
  int scale = 1;
  bool smooth = false;
  bool interrupt = false;
  bool from_file = false;
};

int ImageReadType(const ReadOptions& options) {
  const int buffer = options.scale == 2   ? BufferReadHalf
                     : options.scale == 4 ? BufferReadQuarter
                     : options.scale == 8 ? BufferReadEighth
                                          : BufferReadImage;
  return options.from_file ? buffer - 1 : buffer;
}

// A record after its parameter read, for one region read after another.
class RegionReader {
 public:
  RegionReader(const std::string& name, const ReadOptions& options)
      : path_((testing::OracleFolder() / name).string()), options_(options) {
    stream_ = testing::ReadFileBytes(path_);
    params_result_ = options.from_file ? record_.ReadFile(path_.c_str(), FileReadParams)
                                       : record_.ReadBuffer(stream_, BufferReadParams);
  }
  int params_result() const { return params_result_; }
  const std::vector<uint8_t>& stream() const { return stream_; }
  std::vector<uint8_t>& mutable_stream() { return stream_; }

  // Reads `rect` (pixels of the read's size) into a top-down BGR DIB of its
  // size: the read's result and the DIB.
  int Read(const Rect& rect, std::vector<uint8_t>& pixels) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0x5A);
    record_.UseDib(pixels, width, height, 3, JpegColorBgr);
    record_->state.region = JpegRegion{rect.left, rect.top, rect.right, rect.bottom};
    record_->state.smooth_upsampling = options_.smooth ? 1 : 0;
    for (;;) {
      record_->state.interrupt_request = options_.interrupt ? 1 : 0;
      const int result = options_.from_file ? record_.ReadFile(path_.c_str(), ImageReadType(options_))
                                            : record_.ReadBuffer(stream_, ImageReadType(options_));
      if (result != JpegInterruptSuccess) return result;
    }
  }

  // A read of the whole image on the same record: its result.
  int ReadWhole(std::vector<uint8_t>& pixels, int width, int height) {
    pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0x5A);
    record_.UseDib(pixels, width, height, 3, JpegColorBgr);
    record_->state.region = JpegRegion{0, 0, 0, 0};
    return record_.ReadBuffer(stream_, ImageReadType(options_));
  }

 private:
  std::string path_;
  ReadOptions options_;
  std::vector<uint8_t> stream_;
  testing::Record record_;
  int params_result_;
};

// The whole image's decode at the read's size, top-down BGR without padding.
DibResult WholeDecode(const std::vector<uint8_t>& stream, const ReadOptions& options) {
  DibRequest request;
  request.scale = options.scale;
  request.smooth = options.smooth;
  return DecodeIntoDib(stream, request);
}

std::vector<uint8_t> Cut(const DibResult& whole, const Rect& rect) {
  std::vector<uint8_t> cut;
  for (int row = rect.top; row < rect.bottom; ++row) {
    const auto line = whole.pixels.begin() + static_cast<std::ptrdiff_t>(row) * whole.line_bytes;
    cut.insert(cut.end(), line + rect.left * 3, line + rect.right * 3);
  }
  return cut;
}

// Rectangles on and off the MCU grid: corners, single pixels, a row, the
// middle, the bottom-right edge.
std::vector<Rect> RectsFor(int width, int height) {
  std::vector<Rect> rects = {
      {0, 0, std::min(width, 8), std::min(height, 8)},
      {0, 0, width, 1},
      {width / 3, height / 4, std::max(width / 3 + 1, width - 5), std::max(height / 4 + 1, height - 3)},
      {width - 1, height - 1, width, height},
      {std::min(7, width - 1), std::min(9, height - 1), width / 2 + 1, height / 2 + 3},
      {0, height / 2, width, height / 2 + 1}};
  if (width >= 32 && height >= 32) rects.push_back({16, 16, 32, 32});
  rects.erase(std::remove_if(rects.begin(), rects.end(),
                             [](const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }),
              rects.end());
  return rects;
}

// One scan (with and without restart intervals, every layout), one scan per
// component (and chroma in one scan), progressive.
const char* const kStreams[] = {
    "s420-256x192.jpg",       "s420-256x192-as-restart7.jpg",   "s422-33x65-restart-row.jpg",
    "s444-33x65-restart3.jpg", "grey-33x65.jpg",                 "s411-64x48.jpg",
    "s24-33x65.jpg",           "s420-64x48-each.jpg",            "s420-33x65-luma-then-chroma.jpg",
    "s422-64x48-each-restart.jpg", "s420-33x65-progressive.jpg", "s422-64x48-progressive-dri2.jpg",
    "s444-33x65-dc-per-component-dri3.jpg", "grey-64x48-spectral.jpg"};

std::string StreamName(const ::testing::TestParamInfo<const char*>& info) { return testing::TestNameOf(info.param); }

class RegionReadTest : public ::testing::TestWithParam<const char*> {
 protected:
  // Every rectangle read on a fresh record, then all of them one after the
  // other on one record (the later reads start from the region index).
  void ExpectRegionsMatch(const ReadOptions& options) {
    RegionReader probe(GetParam(), options);
    ASSERT_EQ(probe.params_result(), JpegSuccess);
    const DibResult whole = WholeDecode(probe.stream(), options);
    ASSERT_EQ(whole.result, JpegSuccess);
    const std::vector<Rect> rects = RectsFor(whole.width, whole.height);
    RegionReader shared(GetParam(), options);
    for (const Rect& rect : rects) {
      SCOPED_TRACE("region " + Describe(rect));
      RegionReader fresh(GetParam(), options);
      std::vector<uint8_t> pixels;
      ASSERT_EQ(fresh.Read(rect, pixels), JpegRoiSuccess);
      EXPECT_TRUE(pixels == Cut(whole, rect)) << "fresh record";
      ASSERT_EQ(shared.Read(rect, pixels), JpegRoiSuccess);
      EXPECT_TRUE(pixels == Cut(whole, rect)) << "record of the earlier reads";
    }
    // Back to the first rectangle, above rows the record has passed.
    std::vector<uint8_t> pixels;
    ASSERT_EQ(shared.Read(rects.front(), pixels), JpegRoiSuccess);
    EXPECT_TRUE(pixels == Cut(whole, rects.front()));
  }
};

TEST_P(RegionReadTest, EqualsTheRectangleOfTheWholeDecode) { ExpectRegionsMatch(ReadOptions{}); }

TEST_P(RegionReadTest, ReducedReadsEqualTheRectangleOfTheReducedDecode) {
  for (int scale : {2, 4, 8}) {
    SCOPED_TRACE("scale " + std::to_string(scale));
    ReadOptions options;
    options.scale = scale;
    ExpectRegionsMatch(options);
  }
}

TEST_P(RegionReadTest, SmoothReadsTakeTheirNeighboursFromOutsideTheRegion) {
  ReadOptions options;
  options.smooth = true;
  ExpectRegionsMatch(options);
}

TEST_P(RegionReadTest, InterruptedReadsEqualOneCall) {
  ReadOptions options;
  options.interrupt = true;
  ExpectRegionsMatch(options);
}

TEST_P(RegionReadTest, FileReadsEqualBufferReads) {
  ReadOptions options;
  options.from_file = true;
  ExpectRegionsMatch(options);
}

INSTANTIATE_TEST_SUITE_P(Oracle, RegionReadTest, ::testing::ValuesIn(kStreams), StreamName);

// A whole read and region reads follow each other on one record.
TEST(RegionReadOrderTest, WholeAndRegionReadsShareARecord) {
  for (const char* name : {"s420-256x192.jpg", "s420-64x48-each.jpg", "s420-33x65-progressive.jpg"}) {
    SCOPED_TRACE(name);
    RegionReader reader(name, ReadOptions{});
    ASSERT_EQ(reader.params_result(), JpegSuccess);
    const DibResult whole = WholeDecode(reader.stream(), ReadOptions{});
    const Rect rect{5, 7, whole.width / 2, whole.height / 2};
    std::vector<uint8_t> pixels;
    ASSERT_EQ(reader.Read(rect, pixels), JpegRoiSuccess);
    EXPECT_TRUE(pixels == Cut(whole, rect));
    ASSERT_EQ(reader.ReadWhole(pixels, whole.width, whole.height), JpegSuccess);
    EXPECT_TRUE(pixels == whole.pixels);
    ASSERT_EQ(reader.Read(rect, pixels), JpegRoiSuccess);
    EXPECT_TRUE(pixels == Cut(whole, rect));
  }
}

// Once a region read has recorded where the rows start, a later read of a
// region below starts at its row: damage to the rows above no longer
// reaches it. (The damage does reach a fresh record's read.)
TEST(RegionIndexTest, ALaterReadStartsAtItsRecordedRow) {
  RegionReader reader("s420-256x192.jpg", ReadOptions{});
  ASSERT_EQ(reader.params_result(), JpegSuccess);
  const Rect bottom{40, 160, 200, 192};
  std::vector<uint8_t> first;
  ASSERT_EQ(reader.Read(bottom, first), JpegRoiSuccess);

  std::vector<uint8_t>& stream = reader.mutable_stream();
  const uint8_t sos[] = {0xFF, 0xDA};
  const auto scanHeader = std::search(stream.begin(), stream.end(), std::begin(sos), std::end(sos));
  ASSERT_NE(scanHeader, stream.end());
  const size_t data = static_cast<size_t>(scanHeader - stream.begin()) + 2 + ((scanHeader[2] << 8) | scanHeader[3]);
  for (size_t i = data + 4; i < data + 200; ++i) stream[i] = static_cast<uint8_t>(i * 37 % 251);

  std::vector<uint8_t> again;
  ASSERT_EQ(reader.Read(bottom, again), JpegRoiSuccess);
  EXPECT_TRUE(again == first);

  RegionReader fresh("s420-256x192.jpg", ReadOptions{});
  fresh.mutable_stream() = stream;
  std::vector<uint8_t> damaged;
  fresh.Read(bottom, damaged);
  EXPECT_FALSE(damaged == first) << "the damage should change a read from the top of the scan";
}

// Three scans of 8125 MCU rows each are more rows than the index has
// entries: the rows that find none are decoded from the scan's start or the
// nearest recorded row, and every read still equals the whole decode.
TEST(RegionIndexTest, ScansPastTheLastEntryStillDecode) {
  RegionReader reader("tall-444-each.jpg", ReadOptions{});
  ASSERT_EQ(reader.params_result(), JpegSuccess);
  const DibResult whole = WholeDecode(reader.stream(), ReadOptions{});
  ASSERT_EQ(whole.result, JpegSuccess);
  for (const Rect& rect : {Rect{0, 64990, 8, 65000}, Rect{2, 100, 7, 140}, Rect{0, 40000, 8, 40003}}) {
    SCOPED_TRACE("region " + Describe(rect));
    std::vector<uint8_t> pixels;
    ASSERT_EQ(reader.Read(rect, pixels), JpegRoiSuccess);
    EXPECT_TRUE(pixels == Cut(whole, rect));
  }
}

// Region reads of damaged streams, one after another on one record: every
// read ends with a code.
TEST(RegionReadRobustnessTest, MutatedStreamsEndWithACode) {
  constexpr int kPerSeed = 300;
  const MutationPolicy policy{
      4, {Edit::kRandomByte, Edit::kMarkerByte, Edit::kFlipBit, Edit::kDropByte, Edit::kCut}, 0};
  int reads = 0;
  for (const char* seed : {"s420-64x48-restart1.jpg", "s420-64x48-each.jpg", "s422-33x65-progressive.jpg"}) {
    const std::vector<uint8_t> original = testing::ReadFileBytes(testing::OracleFolder() / seed);
    ASSERT_FALSE(original.empty()) << seed;
    StreamMutator mutator(static_cast<uint32_t>(original.size()));
    for (int i = 0; i < kPerSeed; ++i) {
      testing::Record record;
      const std::vector<uint8_t> stream = mutator.Mutate(original, 2, policy);
      if (record.ReadBuffer(stream, BufferReadParams) != JpegSuccess) continue;
      if (record->jpeg_width > 256 || record->jpeg_height > 256) continue;
      for (const Rect& rect : {Rect{3, 5, 20, 30}, Rect{0, 16, 8, 40}, Rect{9, 1, 10, 2}}) {
        std::vector<uint8_t> pixels(static_cast<size_t>(rect.right - rect.left) *
                                    static_cast<size_t>(rect.bottom - rect.top) * 3);
        record.UseDib(pixels, rect.right - rect.left, rect.bottom - rect.top, 3, JpegColorBgr);
        record->state.region = JpegRegion{rect.left, rect.top, rect.right, rect.bottom};
        record->state.interrupt_request = i % 7 == 0 ? 1 : 0;
        EXPECT_LE(record.ReadBuffer(stream, BufferReadImage), JpegRoiSuccess) << seed << " mutation " << i;
        ++reads;
      }
    }
  }
  EXPECT_GT(reads, 1000);
}

}  // namespace
}  // namespace halvora::jpeg
