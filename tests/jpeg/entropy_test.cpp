// The bit reader, Huffman symbol decoding, the block decoder and restart
// handling on hand-made entropy-coded data.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

#include "jpeg/bit_reader.h"
#include "jpeg/block_decoder.h"
#include "jpeg/huffman_table.h"
#include "jpeg/jpeg.h"
#include "jpeg/jpeg_state.h"
#include "jpeg/restart.h"

namespace halvora::jpeg {
namespace {

// A buffer source over `bytes` (which must outlive it).
struct BufferStream {
  explicit BufferStream(const std::vector<uint8_t>& bytes) {
    std::memset(&stream, 0, sizeof stream);
    stream.start = bytes.data();
    stream.position = bytes.data();
    stream.end = bytes.data() + bytes.size();
    stream.total = static_cast<int32_t>(bytes.size());
    stream.remaining = stream.total;
  }
  JpegStream stream;
};

// Packs bits (most significant first) into entropy-coded bytes, stuffing a
// zero after each 0xFF and padding the last byte with ones.
class BitWriter {
 public:
  BitWriter& Put(uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
      current_ = static_cast<uint8_t>(current_ << 1 | ((value >> i) & 1));
      if (++filled_ == 8) Flush();
    }
    return *this;
  }
  std::vector<uint8_t> Bytes() {
    while (filled_ != 0) Put(1, 1);
    return bytes_;
  }

 private:
  void Flush() {
    bytes_.push_back(current_);
    if (current_ == 0xFF) bytes_.push_back(0x00);
    current_ = 0;
    filled_ = 0;
  }
  std::vector<uint8_t> bytes_;
  uint8_t current_ = 0;
  int filled_ = 0;
};

TEST(BitReaderTest, StuffedBytesReadAsFF) {
  const std::vector<uint8_t> bytes{0x12, 0xFF, 0x00, 0x34};
  BufferStream input(bytes);
  ASSERT_EQ(FillBits(input.stream, 24), 0);
  EXPECT_EQ(GetBits(input.stream, 8), 0x12u);
  EXPECT_EQ(GetBits(input.stream, 8), 0xFFu);
  EXPECT_EQ(PeekBits(input.stream, 8), 0x34u);
  EXPECT_EQ(GetBits(input.stream, 8), 0x34u);
}

TEST(BitReaderTest, AMarkerStopsTheFillAndBecomesPending) {
  const std::vector<uint8_t> bytes{0xAB, 0xFF, 0xFF, 0xD0, 0x55};
  BufferStream input(bytes);
  EXPECT_EQ(FillBits(input.stream, 16), kMarkerReached);
  EXPECT_EQ(input.stream.pending_marker, 0xD0);
  EXPECT_EQ(input.stream.remaining, 1);  // nothing read past the marker
  EXPECT_EQ(FillBits(input.stream, 8), 0);
  EXPECT_EQ(GetBits(input.stream, 8), 0xABu);
}

TEST(BitReaderTest, MissingBitsReadAsZero) {
  const std::vector<uint8_t> bytes{0x80};
  BufferStream input(bytes);
  ASSERT_EQ(FillBits(input.stream, 8), 0);
  EXPECT_EQ(GetBits(input.stream, 1), 1u);
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(FillBits(input.stream, 16), 0);
    ASSERT_EQ(GetBits(input.stream, 16), 0u);
  }
}

TEST(BitReaderTest, BufferEndingAfterFFIsADataError) {
  const std::vector<uint8_t> bytes{0x12, 0xFF};
  BufferStream input(bytes);
  EXPECT_EQ(FillBits(input.stream, 16), JpegErrData);
}

// Codes: "0" -> 0x0A; twelve bits 1000 0000 0000 -> 0x0B; sixteen bits
// 1000 0000 0001 0000 -> 0x0C.
HuffmanDecodeTable LongCodeTable() {
  uint8_t bits[16] = {};
  bits[0] = 1;
  bits[11] = 1;
  bits[15] = 1;
  const uint8_t values[] = {0x0A, 0x0B, 0x0C};
  HuffmanDecodeTable table{};
  EXPECT_EQ(BuildHuffmanDecodeTable(bits, values, 0, 0, table), JpegSuccess);
  return table;
}

TEST(HuffmanDecodeTest, LongCodesTakeTheSlowPathAndUnmatchedBitsGiveZero) {
  const HuffmanDecodeTable table = LongCodeTable();
  const std::vector<uint8_t> bytes =
      BitWriter().Put(0, 1).Put(0x800, 12).Put(0x8010, 16).Put(0x1FFFF, 17).Put(0, 1).Bytes();
  BufferStream input(bytes);
  int symbol = -1;
  for (int expected : {0x0A, 0x0B, 0x0C, 0x00, 0x0A}) {
    ASSERT_EQ(DecodeHuffman(input.stream, table, symbol), 0);
    EXPECT_EQ(symbol, expected);
  }
}

// Tables of 8-bit codes: the code of a symbol is its position in the list.
HuffmanDecodeTable EightBitTable(std::initializer_list<uint8_t> symbols) {
  uint8_t bits[16] = {};
  bits[7] = static_cast<uint8_t>(symbols.size());
  HuffmanDecodeTable table{};
  EXPECT_EQ(BuildHuffmanDecodeTable(bits, symbols.begin(), 0, 0, table), JpegSuccess);
  return table;
}

const HuffmanDecodeTable kDc = EightBitTable({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
// EOB, ZRL, (0,1), (15,1), (1,2)
const HuffmanDecodeTable kAc = EightBitTable({0x00, 0xF0, 0x01, 0xF1, 0x12});
constexpr int kEob = 0, kZrl = 1, kRun0Size1 = 2, kRun15Size1 = 3, kRun1Size2 = 4;

TEST(BlockDecodeTest, DcCategoryElevenZeroRunAndEndOfBlock) {
  // DC category 11 with value 2047, ZRL, (0,1) with bit 1, (1,2) with bits 00, EOB.
  const std::vector<uint8_t> bytes = BitWriter()
                                         .Put(11, 8).Put(2047, 11)
                                         .Put(kZrl, 8)
                                         .Put(kRun0Size1, 8).Put(1, 1)
                                         .Put(kRun1Size2, 8).Put(0, 2)
                                         .Put(kEob, 8)
                                         .Bytes();
  BufferStream input(bytes);
  CoefficientBlock block{};
  int16_t prediction = 10;
  ASSERT_EQ(DecodeBlockPlain(input.stream, kDc, kAc, prediction, block), 0);
  EXPECT_EQ(prediction, 2057);
  CoefficientBlock expected{};
  expected.values[0] = 2057;
  expected.values[kZigZagToNatural[17]] = 1;
  expected.values[kZigZagToNatural[19]] = -3;
  EXPECT_EQ(std::memcmp(&block, &expected, sizeof block), 0);
}

TEST(BlockDecodeTest, ARunPastTheLastCoefficientLandsOnIt) {
  // Three ZRLs reach index 49; a run of 15 then carries the value to 64.
  const std::vector<uint8_t> bytes =
      BitWriter().Put(0, 8).Put(kZrl, 8).Put(kZrl, 8).Put(kZrl, 8).Put(kRun15Size1, 8).Put(0, 1).Bytes();
  BufferStream input(bytes);
  CoefficientBlock block{};
  int16_t prediction = 0;
  ASSERT_EQ(DecodeBlockPlain(input.stream, kDc, kAc, prediction, block), 0);
  for (int i = 0; i < 63; ++i) ASSERT_EQ(block.values[i], 0) << i;
  EXPECT_EQ(block.values[63], -1);
}

TEST(BlockDecodeTest, AMarkerEndsTheBlockAndKeepsThePrediction) {
  std::vector<uint8_t> bytes = BitWriter().Put(3, 8).Put(2, 3).Bytes();  // DC -5, then the data ends in a marker
  bytes.insert(bytes.end(), {0xFF, 0xD3});
  BufferStream input(bytes);
  CoefficientBlock block{};
  int16_t prediction = 100;
  ASSERT_EQ(DecodeBlockPlain(input.stream, kDc, kAc, prediction, block), 0);
  EXPECT_EQ(prediction, 95);
  EXPECT_EQ(block.values[0], 95);
  EXPECT_EQ(input.stream.pending_marker, 0xD3);
  // The next block reads nothing: coefficient 0 stays 0, the prediction as it was.
  CoefficientBlock next{};
  next.values[5] = 7;
  ASSERT_EQ(DecodeBlockPlain(input.stream, kDc, kAc, prediction, next), 0);
  EXPECT_EQ(prediction, 95);
  EXPECT_EQ(next.values[0], 0);
  EXPECT_EQ(next.values[5], 0);
}

TEST(BlockDecodeTest, SkipBlockKeepsTheAcTermsButFollowsTheBits) {
  const std::vector<uint8_t> bytes =
      BitWriter().Put(1, 8).Put(1, 1).Put(kRun0Size1, 8).Put(1, 1).Put(kEob, 8).Put(2, 8).Put(3, 2).Bytes();
  BufferStream input(bytes);
  CoefficientBlock block{};
  block.values[1] = 42;
  int16_t prediction = 0;
  ASSERT_EQ(SkipBlockPlain(input.stream, kDc, kAc, prediction, block), 0);
  EXPECT_EQ(block.values[0], 1);
  EXPECT_EQ(block.values[1], 42);
  ASSERT_EQ(SkipBlockPlain(input.stream, kDc, kAc, prediction, block), 0);
  EXPECT_EQ(prediction, 4);
}

TEST(RestartTest, EveryIntervalButTheLastRestartsPredictionsAtTheNextMarker) {
  const std::vector<uint8_t> bytes{0x12, 0xFF, 0xD0, 0x34};
  BufferStream input(bytes);
  JpegScan scan{};
  scan.restart_interval = 2;
  scan.dc_predictions[0] = 5;
  input.stream.bit_count = 3;
  ASSERT_EQ(HandleRestart(input.stream, scan, 3, 2, 0, 0), 0);  // one unit decoded: no boundary
  EXPECT_EQ(scan.dc_predictions[0], 5);
  ASSERT_EQ(HandleRestart(input.stream, scan, 3, 2, 1, 0), 0);
  EXPECT_EQ(scan.dc_predictions[0], 0);
  EXPECT_EQ(input.stream.bit_count, 0);
  EXPECT_EQ(*input.stream.position, 0x34);  // the marker was taken
  scan.dc_predictions[0] = 9;
  ASSERT_EQ(HandleRestart(input.stream, scan, 3, 2, 2, 1), 0);  // the last unit: no restart
  EXPECT_EQ(scan.dc_predictions[0], 9);
}

TEST(RestartTest, APendingMarkerIsTakenAsTheRestartMarker) {
  const std::vector<uint8_t> bytes{0x77};
  BufferStream input(bytes);
  input.stream.pending_marker = 0xD5;
  JpegScan scan{};
  scan.restart_interval = 1;
  ASSERT_EQ(HandleRestart(input.stream, scan, 4, 1, 0, 0), 0);
  EXPECT_EQ(input.stream.pending_marker, 0);
  EXPECT_EQ(input.stream.remaining, 1);
}

TEST(RestartTest, NoMarkerLeftAtTheBoundaryIsAnError) {
  const std::vector<uint8_t> bytes{0x77, 0x00};
  BufferStream input(bytes);
  JpegScan scan{};
  scan.restart_interval = 1;
  EXPECT_EQ(HandleRestart(input.stream, scan, 4, 1, 0, 0), JpegErrMemory);
}

}  // namespace
}  // namespace halvora::jpeg
