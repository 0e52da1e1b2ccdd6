// Streams whose headers promise far more than their data holds. The work a
// read does must follow the data (checked by the decoder's own count of the
// units it decodes, never by the clock), the memory it takes must stay within
// the record's budget, and an end-of-band run must end where its scan or its
// restart interval does.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <halvora/jpeg.h>
#include "jpeg/interface/private_state.h"
#include "tests/jpeg/decode_support.h"
#include "tests/jpeg/record.h"
#include "tests/jpeg/stream_builder.h"
#include "tests/support/scratch_path.h"

namespace halvora::jpeg {
namespace {

using testing::StreamBuilder;

// Tables and a frame of `components` components (4:2:0 for three), `sofKind`
// 0 (baseline) or 2 (progressive).
StreamBuilder Frame(int sofKind, int width, int height, int components) {
  StreamBuilder builder;
  builder.Marker(0xD8).Dqt(0).Dht(0, 0).Dht(1, 0);
  if (components == 1) {
    builder.Sof(sofKind, width, height, {{1, 1, 1, 0}});
  } else {
    builder.Sof(sofKind, width, height, {{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}});
  }
  return builder;
}

// `scans` scans that hold no data at all: for a progressive frame DC scans
// of every component and AC scans of each one in turn, for a baseline frame
// one full scan of a component after another.
std::vector<uint8_t> EmptyScans(int sofKind, int width, int height, int components, int scans) {
  StreamBuilder builder = Frame(sofKind, width, height, components);
  for (int i = 0; i < scans; ++i) {
    const int component = 1 + i % components;
    if (sofKind == 0) {
      builder.Sos({{component, 0, 0}});
    } else if (i % 2 == 0 && components == 1) {
      builder.Sos({{1, 0, 0}}, 0, 0);
    } else if (i % 2 == 0) {
      builder.Sos({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}}, 0, 0);
    } else {
      builder.Sos({{component, 0, 0}}, 1, 63);
    }
  }
  return builder.Marker(0xD9).bytes();
}

struct Work {
  int result = 0;
  int64_t units_decoded = 0;
  int64_t units_without_data = 0;
};

// A parameter read and an image read into a grey DIB of the image's size.
Work ReadImage(testing::Record& record, int paramsType, int imageType) {
  Work work;
  work.result = JpegRead(&record.get(), paramsType);
  if (work.result != JpegSuccess) return work;
  std::vector<uint8_t> dib(static_cast<size_t>(record->jpeg_width) * static_cast<size_t>(record->jpeg_height));
  record.UseDib(dib, record->jpeg_width, record->jpeg_height, 1, JpegColorGrey);
  work.result = JpegRead(&record.get(), imageType);
  const ProgressionState& progression = Private(record.get()).progression;
  work.units_decoded = progression.units_decoded;
  work.units_without_data = progression.units_without_data;
  return work;
}

Work ReadBuffer(const std::vector<uint8_t>& stream) {
  testing::Record record;
  record->jpeg_buffer = stream.data();
  record->jpeg_buffer_size = static_cast<int32_t>(stream.size());
  return ReadImage(record, BufferReadParams, BufferReadImage);
}

Work ReadFile(const std::vector<uint8_t>& stream) {
  const std::filesystem::path path = test_support::ScratchPath("hostile-stream.jpg");
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  EXPECT_NE(file, nullptr);
  if (file == nullptr) return {};
  std::fwrite(stream.data(), 1, stream.size(), file);
  std::fclose(file);
  testing::Record record;
  const std::string name = path.string();
  record->jpeg_file_name = name.c_str();
  const Work work = ReadImage(record, FileReadParams, FileReadImage);
  std::filesystem::remove(path);
  return work;
}

// A progressive DC scan of a 2048 x 2048 grey frame whose data stops after
// two bytes: the stream (or the file) ends there.
std::vector<uint8_t> CutInFirstScan() {
  std::vector<uint8_t> stream = Frame(2, 2048, 2048, 1).Sos({{1, 0, 0}}, 0, 0).bytes();
  stream.insert(stream.end(), {0x00, 0x00});
  return stream;
}

// Every case's frame holds 65536 blocks a component or more, against a few
// kilobytes of stream: a read that visited every block of every scan would
// decode tens of millions of units.
TEST(HostileStreamTest, WorkFollowsTheDataNotTheFrame) {
  constexpr int64_t kBlocks = 2048 / 8 * 2048 / 8;
  struct Case {
    const char* name;
    std::vector<uint8_t> stream;
    bool from_file;
    int result;
    int64_t most_units;
  } const cases[] = {
      {"1000 empty DC scans of a grey progressive frame", EmptyScans(2, 2048, 2048, 1, 1000), false, JpegSuccess, 0},
      {"999 empty scans of a 4:2:0 progressive frame", EmptyScans(2, 2048, 2048, 3, 999), false, JpegSuccess, 0},
      // One image's worth of blocks without data is written (a stream cut
      // short needs that), the fourth empty scan goes past it.
      {"16 empty sequential scans", EmptyScans(0, 2048, 2048, 3, 16), false, JpegErrData, 3 * kBlocks / 2 + 1},
      {"a progressive file cut off in its first scan", CutInFirstScan(), true, JpegErrFile, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Work work = c.from_file ? ReadFile(c.stream) : ReadBuffer(c.stream);
    EXPECT_EQ(work.result, c.result);
    EXPECT_LE(work.units_decoded, c.most_units);
  }
}

// The coefficients of a progressive frame are refused before they are
// allocated when they exceed the record's budget (8 MiB here), and taken
// when the budget holds them.
TEST(HostileStreamTest, WorkMemoryStaysWithinTheRecordsBudget) {
  const std::vector<uint8_t> stream = EmptyScans(2, 2048, 2048, 1, 2);
  for (const int budget : {4, 16}) {
    SCOPED_TRACE(::testing::Message() << budget << " MiB");
    testing::Record record;
    record->state.max_memory_mb = budget;
    record->jpeg_buffer = stream.data();
    record->jpeg_buffer_size = static_cast<int32_t>(stream.size());
    EXPECT_EQ(ReadImage(record, BufferReadParams, BufferReadImage).result, budget < 8 ? JpegErrMemory : JpegSuccess);
  }
}

// An end-of-band run is cut off where its scan ends and where its restart
// interval does, so a run a corrupt (or hostile) scan starts cannot skip the
// blocks of the next scan or interval. Two-block grey frames with an AC table
// of three 8-bit codes: 0x00 end of band, 0x01 a run of 2^14 blocks (14 more
// bits), 0x02 a coefficient of magnitude 1 (one more bit). Each case decodes
// once with the coefficient the run would hide and once without it: the
// images must differ.
TEST(HostileStreamTest, EndOfBandRunsEndWithTheirScanAndInterval) {
  const std::vector<uint8_t> acTable{0x10, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0xE0, 0x01};
  const std::vector<uint8_t> longRun{0x01, 0x00, 0x03};             // 0x01, 14 zero bits, padding
  const std::vector<uint8_t> coefficient{0x02, 0x80, 0x00, 0x7F};  // 0x02, bit 1, end of band twice
  const std::vector<uint8_t> noCoefficient{0x00, 0x00};            // end of band twice
  auto stream = [&](bool restartEachBlock, const std::vector<uint8_t>& secondData) {
    StreamBuilder builder;
    builder.Marker(0xD8).Dqt(0).Dht(0, 0).Segment(0xC4, acTable).Sof(2, 16, 8, {{1, 1, 1, 0}});
    builder.Sos({{1, 0, 0}}, 0, 0).Raw({0x00, 0x00});  // DC: difference 0 twice
    if (restartEachBlock) {
      // One AC scan: the long run in the first block's interval, the
      // coefficient (or none) in the second's.
      builder.Segment(0xDD, {0, 1}).Sos({{1, 0, 0}}, 1, 5, 0, 5);
      for (uint8_t byte : longRun) builder.Raw({byte});
      builder.Marker(0xD0);
    } else {
      builder.Sos({{1, 0, 0}}, 1, 5, 0, 5);
      for (uint8_t byte : longRun) builder.Raw({byte});
      builder.Sos({{1, 0, 0}}, 6, 10, 0, 5);
    }
    for (uint8_t byte : secondData) builder.Raw({byte});
    return builder.Marker(0xD9).bytes();
  };
  for (const bool restarts : {false, true}) {
    SCOPED_TRACE(restarts ? "restart interval of one block" : "next scan");
    testing::DibRequest request;
    request.color = JpegColorGrey;
    request.channels = 1;
    const testing::DibResult with = testing::DecodeIntoDib(stream(restarts, coefficient), request);
    const testing::DibResult without = testing::DecodeIntoDib(stream(restarts, noCoefficient), request);
    ASSERT_EQ(with.result, JpegSuccess);
    ASSERT_EQ(without.result, JpegSuccess);
    EXPECT_TRUE(with.pixels != without.pixels) << "the run hid the coefficient";
  }
}

}  // namespace
}  // namespace halvora::jpeg
