#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "jpeg/kernels/kernel_table.h"
#include "jpeg/interface/private_state.h"
#include "jpeg/input/stream_input.h"

namespace halvora::jpeg {
namespace {

// A file over bytes in memory that can be told to fail its reads.
class MemoryFile final : public platform::ReadableFile {
 public:
  explicit MemoryFile(std::vector<uint8_t> bytes, bool failReads = false)
      : bytes_(std::move(bytes)), fail_reads_(failReads) {}
  int64_t Read(void* buffer, size_t count) override {
    ++reads_;
    if (fail_reads_) return -1;
    const size_t n = std::min(count, bytes_.size() - offset_);
    std::memcpy(buffer, bytes_.data() + offset_, n);
    offset_ += n;
    return static_cast<int64_t>(n);
  }
  int64_t Seek(int64_t, platform::SeekFrom) override { return -1; }
  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }
  bool Close() override { return true; }
  int reads() const { return reads_; }

 private:
  std::vector<uint8_t> bytes_;
  size_t offset_ = 0;
  bool fail_reads_;
  int reads_ = 0;
};

struct BufferInput {
  explicit BufferInput(std::vector<uint8_t> data) : bytes(std::move(data)) {
    stream = std::make_unique<JpegStream>();
    StartBufferInput(*stream, bytes.data(), static_cast<int32_t>(bytes.size()));
  }
  std::vector<uint8_t> bytes;
  std::unique_ptr<JpegStream> stream;
};

struct FileInput {
  explicit FileInput(std::vector<uint8_t> data, bool failReads = false)
      : file(std::move(data), failReads), stream(std::make_unique<JpegStream>()) {
    stream->file = &file;
    StartFileInput(*stream);
    ResetStream(*stream);
  }
  MemoryFile file;
  std::unique_ptr<JpegStream> stream;
};

TEST(MarkerSearchTest, PassesOverFillBytesAndStuffedZeros) {
  BufferInput input({0x12, 0xFF, 0x00, 0x34, 0xFF, 0xFF, 0xFF, 0xC4, 0x99});
  int code = 0;
  ASSERT_EQ(ReadMarker(*input.stream, code), JpegSuccess);
  EXPECT_EQ(code, 0xC4);
  EXPECT_EQ(input.stream->consumed, 8);
}

TEST(MarkerSearchTest, AnEmptiedBufferIsAMemoryError) {
  BufferInput input({0x00, 0xFF});
  int code = 0;
  EXPECT_EQ(ReadMarker(*input.stream, code), JpegErrMemory);
}

TEST(MarkerSearchTest, APendingMarkerComesFirst) {
  BufferInput input({0xFF, 0xD8});
  input.stream->pending_marker = 0xD3;
  int code = 0;
  ASSERT_EQ(ReadMarker(*input.stream, code), JpegSuccess);
  EXPECT_EQ(code, 0xD3);
  ASSERT_EQ(ReadMarker(*input.stream, code), JpegSuccess);
  EXPECT_EQ(code, 0xD8);
}

TEST(FileInputTest, AFailedReadEndsTheSearchAtOnce) {
  FileInput input({}, /*failReads=*/true);
  int code = 0;
  EXPECT_EQ(ReadMarker(*input.stream, code), JpegErrFile);
  EXPECT_EQ(input.file.reads(), 1);
}

TEST(FileInputTest, TheEndOfTheFileIsAFileError) {
  FileInput input({0x01, 0x02});
  int code = 0;
  EXPECT_EQ(ReadMarker(*input.stream, code), JpegErrFile);
}

TEST(FileInputTest, ASegmentAcrossARefillIsCopiedWhole) {
  std::vector<uint8_t> bytes(4090, 0x00);
  for (int i = 0; i < 20; ++i) bytes.push_back(static_cast<uint8_t>(i));
  FileInput input(bytes);
  const uint8_t* skipped = nullptr;
  ASSERT_EQ(GetBytes(*input.stream, 4090, &skipped), JpegSuccess);
  SegmentBytes segment;
  ASSERT_EQ(GetSegmentBytes(*input.stream, 20, segment), JpegSuccess);
  ASSERT_NE(segment.owned, nullptr);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(segment.data[i], i);
}

TEST(FileInputTest, ASegmentPastTheEndIsADataError) {
  std::vector<uint8_t> bytes(4095, 0x00);
  FileInput input(bytes);
  const uint8_t* skipped = nullptr;
  ASSERT_EQ(GetBytes(*input.stream, 4090, &skipped), JpegSuccess);
  SegmentBytes segment;
  EXPECT_EQ(GetSegmentBytes(*input.stream, 20, segment), JpegErrData);
}

TEST(SkipSegmentTest, SkipsALongSegmentOfAFileInPieces) {
  std::vector<uint8_t> bytes = {0x27, 0x12};  // 10002 bytes with the length field
  bytes.resize(10002, 0xFF);
  bytes.push_back(0xFF);
  bytes.push_back(0xD9);
  FileInput input(bytes);
  ASSERT_EQ(SkipSegment(*input.stream), JpegSuccess);
  int code = 0;
  ASSERT_EQ(ReadMarker(*input.stream, code), JpegSuccess);
  EXPECT_EQ(code, 0xD9);
}

TEST(SkipSegmentTest, ASegmentPastTheEndOfABufferIsADataError) {
  BufferInput input({0x00, 0x10, 0x01});
  EXPECT_EQ(SkipSegment(*input.stream), JpegErrData);
}

TEST(SkipSegmentTest, ALengthBelowTwoIsADataError) {
  BufferInput input({0x00, 0x01, 0x01});
  EXPECT_EQ(SkipSegment(*input.stream), JpegErrData);
}

}  // namespace
}  // namespace halvora::jpeg
