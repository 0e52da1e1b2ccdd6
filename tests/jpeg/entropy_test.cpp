// The bit reader, Huffman symbol decoding, the block decoder and restart
// handling on hand-made entropy-coded data.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <random>
#include <vector>

#include "jpeg/input/bit_reader.h"
#include "jpeg/input/bit_window.h"
#include "jpeg/entropy/ac_skip_table.h"
#include "jpeg/entropy/block_decoder.h"
#include "jpeg/entropy/coefficient_buffer.h"
#include "jpeg/entropy/huffman_table.h"
#include <halvora/jpeg.h>
#include "jpeg/interface/private_state.h"
#include "jpeg/interface/work_memory.h"
#include "jpeg/entropy/progressive_blocks.h"
#include "jpeg/entropy/scan_position.h"
#include "jpeg/entropy/sequential_scan.h"
#include "jpeg/input/stream_input.h"
#include "jpeg/kernels/kernel_table.h"
#include "jpeg/kernels/quant.h"
#include "platform/file.h"

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
constexpr CoefficientBlock kClearBlock{};
// Factors that leave every term as decoded, so that these cases see the
// decoding alone; the random comparison below covers the dequantisation.
const std::array<int32_t, 80> kUnitFactors = [] {
  std::array<int32_t, 80> factors{};
  factors.fill(1);
  return factors;
}();
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
  ASSERT_EQ(DecodeBlockMethod1(input.stream, kDc, kAc, prediction, kUnitFactors.data(), block), 0);
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
  ASSERT_EQ(DecodeBlockMethod1(input.stream, kDc, kAc, prediction, kUnitFactors.data(), block), 0);
  for (int i = 0; i < 63; ++i) ASSERT_EQ(block.values[i], 0) << i;
  EXPECT_EQ(block.values[63], -1);
}

TEST(BlockDecodeTest, AMarkerEndsTheBlockAndKeepsThePrediction) {
  std::vector<uint8_t> bytes = BitWriter().Put(3, 8).Put(2, 3).Bytes();  // DC -5, then the data ends in a marker
  bytes.insert(bytes.end(), {0xFF, 0xD3});
  BufferStream input(bytes);
  CoefficientBlock block{};
  int16_t prediction = 100;
  ASSERT_EQ(DecodeBlockMethod1(input.stream, kDc, kAc, prediction, kUnitFactors.data(), block), 0);
  EXPECT_EQ(prediction, 95);
  EXPECT_EQ(block.values[0], 95);
  EXPECT_EQ(input.stream.pending_marker, 0xD3);
  // The next block reads nothing: it stays clear, the prediction as it was.
  CoefficientBlock next{};
  ASSERT_EQ(DecodeBlockMethod1(input.stream, kDc, kAc, prediction, kUnitFactors.data(), next), 0);
  EXPECT_EQ(prediction, 95);
  EXPECT_EQ(std::memcmp(&next, &kClearBlock, sizeof next), 0);
}

TEST(BlockDecodeTest, SkipBlockKeepsTheAcTermsButFollowsTheBits) {
  const std::vector<uint8_t> bytes =
      BitWriter().Put(1, 8).Put(1, 1).Put(kRun0Size1, 8).Put(1, 1).Put(kEob, 8).Put(2, 8).Put(3, 2).Bytes();
  BufferStream input(bytes);
  CoefficientBlock block{};
  block.values[1] = 42;
  int16_t prediction = 0;
  ASSERT_EQ(SkipBlockPlain(input.stream, kDc, kAc, prediction, nullptr, block), 0);
  EXPECT_EQ(block.values[0], 1);
  EXPECT_EQ(block.values[1], 42);
  ASSERT_EQ(SkipBlockPlain(input.stream, kDc, kAc, prediction, nullptr, block), 0);
  EXPECT_EQ(prediction, 4);
}

// The block decoder keeps the bits in locals, takes most codes and values
// from the lookahead whole and fills several bytes at once. Whatever the
// table and the data, it must leave every block, prediction, result and
// stream state exactly as the step-by-step decode through the bit reader's
// calls does: damaged data, markers, the end of a buffer or of a file
// included.

// The step-by-step decode of one block: each symbol through DecodeHuffman,
// each value through FillBits and GetBits when too few bits are held.
int ReceiveStepwise(JpegStream& stream, int category, int32_t& value) {
  value = 0;
  if (category == 0) return 0;
  if (stream.bit_count < category) {
    const int result = FillBits(stream, category);
    if (result != 0) return result;
  }
  value = ExtendReceived(GetBits(stream, category), category);
  return 0;
}

int CodedStepwise(JpegStream& stream, const HuffmanDecodeTable& table, int& symbol, int32_t& value) {
  const int result = DecodeHuffman(stream, table, symbol);
  return result != 0 ? result : ReceiveStepwise(stream, symbol & 15, value);
}

int BlockStepwise(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac, bool skip,
                  int16_t& prediction, CoefficientBlock& block) {
  if (!skip) std::memset(&block, 0, sizeof block);
  int symbol = 0;
  int32_t value = 0;
  int result = CodedStepwise(stream, dc, symbol, value);
  if (result == 0) {
    prediction = static_cast<int16_t>(prediction + value);
    block.values[0] = prediction;
  }
  for (int index = 1; result == 0 && index < 64;) {
    result = CodedStepwise(stream, ac, symbol, value);
    if (result != 0) break;
    if ((symbol & 15) != 0) {
      index += symbol >> 4;
      if (!skip) block.values[kZigZagToNatural[index]] = static_cast<int16_t>(value);
      ++index;
    } else if (symbol == 0xF0) {
      index += 16;
    } else {
      break;
    }
  }
  return result == kMarkerReached ? 0 : result;
}

// A file over bytes in memory, read in whatever pieces the reader asks for.
class MemoryFile final : public platform::ReadableFile {
 public:
  explicit MemoryFile(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  int64_t Read(void* buffer, size_t count) override {
    const size_t piece = std::min(count, bytes_.size() - at_);
    if (piece != 0) std::memcpy(buffer, bytes_.data() + at_, piece);
    at_ += piece;
    return static_cast<int64_t>(piece);
  }
  int64_t Seek(int64_t, platform::SeekFrom) override { return -1; }
  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }
  bool Close() override { return true; }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t at_ = 0;
};

// A source over `bytes`: the caller's buffer, or a file read 4096 bytes at a time.
struct Source {
  Source(const std::vector<uint8_t>& bytes, bool fromFile) : file(bytes), stream(std::make_unique<JpegStream>()) {
    std::memset(stream.get(), 0, sizeof(JpegStream));
    if (fromFile) {
      stream->file = &file;
      StartFileInput(*stream);
    } else {
      StartBufferInput(*stream, bytes.data(), static_cast<int32_t>(bytes.size()));
    }
  }
  MemoryFile file;
  std::unique_ptr<JpegStream> stream;
};

// Random canonical codes: any lengths the code space allows, now and then
// leaving part of it unused (patterns that match no code), symbols mostly
// small runs and sizes with end of block and the zero run among them.
HuffmanDecodeTable RandomTable(std::mt19937& random) {
  uint8_t bits[16] = {};
  std::vector<uint8_t> values;
  uint32_t free = 2;
  const bool leaveRoom = random() % 4 == 0;
  for (int length = 1; length <= 16 && values.size() < 256; ++length) {
    const uint32_t most = std::min<uint32_t>(free - (leaveRoom ? 1 : 0), 256 - static_cast<uint32_t>(values.size()));
    const uint32_t count = length == 16 ? most : std::min<uint32_t>(most, random() % (most + 1) / (1 + random() % 3));
    bits[length - 1] = static_cast<uint8_t>(count);
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t pick = random() % 8;
      values.push_back(pick == 0   ? 0x00
                       : pick == 1 ? 0xF0
                       : pick < 6  ? static_cast<uint8_t>((random() % 4) << 4 | (1 + random() % 6))
                                   : static_cast<uint8_t>(random()));
    }
    free = (free - count) * 2;
  }
  HuffmanDecodeTable table{};
  EXPECT_EQ(BuildHuffmanDecodeTable(bits, values.data(), 0, 0, table), JpegSuccess);
  return table;
}

// Entropy-coded bytes with stuffed 0xFF, fill bytes, markers and, now and
// then, a lone 0xFF at the very end.
std::vector<uint8_t> RandomData(std::mt19937& random) {
  const size_t size = random() % 8 == 0 ? 4000 + random() % 5000 : random() % 300;
  const uint32_t ffEvery = 4 + random() % 200;
  std::vector<uint8_t> bytes;
  while (bytes.size() < size) {
    if (random() % ffEvery != 0) {
      bytes.push_back(static_cast<uint8_t>(random() % 255));
      continue;
    }
    bytes.push_back(0xFF);
    if (random() % 4 == 0) bytes.push_back(0xFF);
    const uint32_t after = random() % 16;
    bytes.push_back(after == 0 ? 0xD0 + random() % 8 : after == 1 ? 0xD9 : 0x00);
  }
  if (random() % 4 == 0) bytes.push_back(0xFF);
  return bytes;
}

void ExpectSameState(const JpegStream& fast, const JpegStream& stepwise) {
  ASSERT_EQ(fast.bit_count, stepwise.bit_count);
  ASSERT_EQ(fast.consumed, stepwise.consumed);
  ASSERT_EQ(fast.remaining, stepwise.remaining);
  ASSERT_EQ(fast.pending_marker, stepwise.pending_marker);
  if (fast.bit_count > 0) {
    const uint64_t held = fast.bit_count >= 64 ? ~uint64_t{0} : (uint64_t{1} << fast.bit_count) - 1;
    ASSERT_EQ(fast.accumulator & held, stepwise.accumulator & held);
  }
}

// The fill as the bit reader defines it: byte by byte up to the fill target,
// a stuffed 0xFF taken as data, fill bytes skipped, a marker left pending.
int FillByteByByte(JpegStream& stream, int need) {
  while (stream.bit_count < kFillTarget) {
    if (stream.pending_marker != 0) return stream.bit_count >= need ? 0 : kMarkerReached;
    if (stream.remaining == 0) return 0;
    uint8_t byte = *stream.position++;
    --stream.remaining;
    ++stream.consumed;
    while (byte == 0xFF) {
      if (stream.remaining == 0) return JpegErrData;
      const uint8_t next = *stream.position++;
      --stream.remaining;
      ++stream.consumed;
      if (next == 0x00) break;
      if (next != 0xFF) {
        stream.pending_marker = next;
        return stream.bit_count >= need ? 0 : kMarkerReached;
      }
    }
    stream.accumulator = (stream.accumulator << 8) | byte;
    stream.bit_count += 8;
  }
  return 0;
}

// The one-step fill, which FillBits and the block decoders make where no
// byte needs care, must take what the byte-by-byte fill takes.
TEST(BitReaderTest, FillsTakeTheBytesOfTheByteByByteFill) {
  std::mt19937 random(20261209);
  for (int trial = 0; trial < 3000; ++trial) {
    SCOPED_TRACE(trial);
    const std::vector<uint8_t> bytes = RandomData(random);
    Source fast(bytes, false);
    Source model(bytes, false);
    for (int step = 0; step < 2000; ++step) {
      const int need = static_cast<int>(random() % 17);
      const int fastResult = FillBits(*fast.stream, need);
      ASSERT_EQ(fastResult, FillByteByByte(*model.stream, need)) << "step " << step;
      ExpectSameState(*fast.stream, *model.stream);
      if (fastResult != 0 || fast.stream->remaining == 0) break;
      const int count = static_cast<int>(random() % 17);
      ASSERT_EQ(GetBits(*fast.stream, count), GetBits(*model.stream, count)) << "step " << step;
    }
  }
}

// The block decoder of a method, of the whole block or its DC term alone:
// every other trial its BMI2 build, where this processor runs it.
DecodeBlockKernel BlockDecoderFor(bool methodZero, bool dcTerm, int trial) {
#if defined(HALVORA_BLOCK_DECODER_BMI2)
  if (trial % 2 == 1 && (DetectProcessor().extended_features & kFeatureBmi2) != 0) {
    if (dcTerm) return methodZero ? DecodeDcTermMethod0Bmi2 : DecodeDcTermMethod1Bmi2;
    return methodZero ? DecodeBlockMethod0Bmi2 : DecodeBlockMethod1Bmi2;
  }
#endif
  static_cast<void>(trial);
  if (dcTerm) return methodZero ? DecodeDcTermMethod0 : DecodeDcTermMethod1;
  return methodZero ? DecodeBlockMethod0 : DecodeBlockMethod1;
}

TEST(BlockDecodeTest, EqualsTheStepByStepDecodeOnRandomTablesAndData) {
  std::mt19937 random(20240611);
  for (int trial = 0; trial < 1500; ++trial) {
    SCOPED_TRACE(trial);
    const HuffmanDecodeTable dc = RandomTable(random);
    HuffmanDecodeTable ac = RandomTable(random);
    // Two trials in three pass AC codes over through a skip table.
    AcSkipTable skipTable;
    if (trial % 3 != 2) {
      BuildAcSkipTable(ac, skipTable);
      ac.skip = &skipTable;
    }
    const std::vector<uint8_t> bytes = RandomData(random);
    const bool fromFile = random() % 3 == 0;
    // Factors of either method's prepared tables, up to the scaled ones' size.
    const bool methodZero = random() % 2 == 0;
    std::array<int32_t, 80> factors{};
    for (int32_t& factor : factors) factor = static_cast<int32_t>(random() % (methodZero ? 16777217 : 65536));
    Source fast(bytes, fromFile);
    Source stepwise(bytes, fromFile);
    int16_t fastPrediction = static_cast<int16_t>(random());
    int16_t stepwisePrediction = fastPrediction;
    CoefficientBlock fastBlock{};
    CoefficientBlock stepwiseBlock{};
    for (int blockIndex = 0; blockIndex < 400; ++blockIndex) {
      // Passed over, the DC term alone, or the whole block.
      const int kind = static_cast<int>(random() % 4);
      const bool skip = kind == 0;
      if (!skip) fastBlock = CoefficientBlock{};  // as the MCU's clear leaves it
      const DecodeBlockKernel decode = skip ? SkipBlockPlain : BlockDecoderFor(methodZero, kind == 1, trial);
      const int fastResult = decode(*fast.stream, dc, ac, fastPrediction, factors.data(), fastBlock);
      if (kind == 1) stepwiseBlock = CoefficientBlock{};
      const int stepwiseResult = BlockStepwise(*stepwise.stream, dc, ac, kind < 2, stepwisePrediction, stepwiseBlock);
      if (!skip)
        (methodZero ? DequantizeBlockMethod0Plain : DequantizeBlockMethod1Plain)(stepwiseBlock, factors.data(),
                                                                                 stepwiseBlock);
      ASSERT_EQ(fastResult, stepwiseResult) << "block " << blockIndex;
      ASSERT_EQ(fastPrediction, stepwisePrediction) << "block " << blockIndex;
      ASSERT_EQ(std::memcmp(&fastBlock, &stepwiseBlock, sizeof fastBlock), 0) << "block " << blockIndex;
      ExpectSameState(*fast.stream, *stepwise.stream);
      if (fastResult != 0 || fast.stream->remaining == 0) break;
    }
  }
}

// The MCU decoder of a method, of whole blocks or their DC terms alone: every
// other trial its BMI2 build, where this processor runs it.
DecodeMcuKernel McuDecoderFor(bool methodZero, bool dcTerms, int trial) {
#if defined(HALVORA_BLOCK_DECODER_BMI2)
  if (trial % 2 == 1 && (DetectProcessor().extended_features & kFeatureBmi2) != 0) {
    if (dcTerms) return methodZero ? DecodeMcuDcTermsMethod0Bmi2 : DecodeMcuDcTermsMethod1Bmi2;
    return methodZero ? DecodeMcuMethod0Bmi2 : DecodeMcuMethod1Bmi2;
  }
#endif
  static_cast<void>(trial);
  if (dcTerms) return methodZero ? DecodeMcuDcTermsMethod0 : DecodeMcuDcTermsMethod1;
  return methodZero ? DecodeMcuMethod0 : DecodeMcuMethod1;
}

// An MCU decoded in one call must equal its blocks decoded one by one by the
// block decoders above: blocks, predictions, results and stream state, over
// scans of one to three components of up to 2 x 2 blocks each, whose tables
// they share or not, whole or (with skip tables in two trials of three) the
// DC terms alone.
TEST(BlockDecodeTest, McuDecoderEqualsTheBlocksOneByOne) {
  std::mt19937 random(20261209);
  for (int trial = 0; trial < 900; ++trial) {
    SCOPED_TRACE(trial);
    HuffmanDecodeTable tables[4] = {RandomTable(random), RandomTable(random), RandomTable(random), RandomTable(random)};
    const bool dcTerms = trial % 4 >= 2;
    AcSkipTable skipTables[2];
    if (dcTerms && trial % 3 != 2) {
      for (int i = 0; i < 2; ++i) {
        BuildAcSkipTable(tables[2 + i], skipTables[i]);
        tables[2 + i].skip = &skipTables[i];
      }
    }
    const bool methodZero = random() % 2 == 0;
    QuantTable quant[2];
    for (QuantTable& table : quant) {
      for (int32_t& factor : table.entries) factor = static_cast<int32_t>(random() % (methodZero ? 16777217 : 65536));
    }
    ScanComponent components[3];
    JpegScan scan{};
    scan.ns = 1 + static_cast<int32_t>(random() % 3);
    scan.components = components;
    for (int i = 0, blocks = 0; i < scan.ns; ++i) {
      auto factor = [&random] { return 1 + static_cast<int32_t>(random() % 2); };
      components[i] = {i,
                       factor(),
                       factor(),
                       const_cast<HuffmanDecodeTable*>(&tables[random() % 2]),
                       const_cast<HuffmanDecodeTable*>(&tables[2 + random() % 2]),
                       &quant[random() % 2]};
      // An MCU holds at most kMcuBufferBlocks blocks.
      if (blocks + components[i].h * components[i].v > kMcuBufferBlocks) components[i].h = components[i].v = 1;
      blocks += components[i].h * components[i].v;
      scan.dc_predictions[i] = static_cast<int16_t>(random());
    }
    JpegScan stepwiseScan = scan;
    McuDecoders oneByOne{};
    for (DecodeBlockKernel& decoder : oneByOne.blocks) decoder = BlockDecoderFor(methodZero, dcTerms, trial);
    oneByOne.clear = true;
    const DecodeMcuKernel decodeMcu = McuDecoderFor(methodZero, dcTerms, trial);
    const std::vector<uint8_t> bytes = RandomData(random);
    const bool fromFile = random() % 3 == 0;
    Source whole(bytes, fromFile);
    Source stepwise(bytes, fromFile);
    for (int mcu = 0; mcu < 200; ++mcu) {
      McuBuffer wholeBlocks{};
      McuBuffer stepwiseBlocks{};
      const int wholeResult = decodeMcu(*whole.stream, scan, wholeBlocks.blocks);
      const int stepwiseResult = DecodeMcuBlocks(*stepwise.stream, stepwiseScan, stepwiseBlocks, oneByOne);
      ASSERT_EQ(wholeResult, stepwiseResult) << "MCU " << mcu;
      ASSERT_EQ(std::memcmp(wholeBlocks.blocks, stepwiseBlocks.blocks, sizeof wholeBlocks.blocks), 0) << "MCU " << mcu;
      ASSERT_TRUE(std::equal(scan.dc_predictions, scan.dc_predictions + 3, stepwiseScan.dc_predictions));
      ExpectSameState(*whole.stream, *stepwise.stream);
      if (wholeResult != 0 || whole.stream->remaining == 0) break;
    }
  }
}

// ---- Progressive bands ----

// The band decoders keep the bits in locals and a mask of the nonzero
// positions up to date, and the refinement visits the nonzero coefficients
// of the band through that mask. Both must leave every block, result and stream state as the walk that tests
// each coefficient in turn and reads each symbol and bit through the bit
// reader's calls does.
int BitStepwise(JpegStream& stream, int count, uint32_t& bits) {
  bits = 0;
  if (count == 0) return 0;
  if (stream.bit_count < count) {
    const int result = FillBits(stream, count);
    if (result != 0) return result;
  }
  bits = GetBits(stream, count);
  return 0;
}

int16_t Wrap16(int32_t value) { return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(value))); }

int RefineWalkStepwise(JpegStream& stream, CoefficientBlock& block, int& k, int se, int zeros, int al) {
  const int32_t p1 = int32_t{1} << al;
  for (; k <= se; ++k) {
    int16_t& coefficient = block.values[kZigZagToNatural[k]];
    if (coefficient == 0) {
      if (zeros >= 0 && --zeros < 0) return 0;
      continue;
    }
    uint32_t bit = 0;
    const int result = BitStepwise(stream, 1, bit);
    if (result != 0) return result;
    if (bit != 0 && (coefficient & p1) == 0)
      coefficient = Wrap16(coefficient >= 0 ? coefficient + p1 : coefficient - p1);
  }
  return 0;
}

int RefineBandStepwise(JpegStream& stream, CoefficientBlock& block, const HuffmanDecodeTable& ac, int ss, int se,
                       int al) {
  int k = ss;
  if (stream.end_of_band_run == 0) {
    for (; k <= se; ++k) {
      int runSize = 0;
      int result = DecodeHuffman(stream, ac, runSize);
      if (result != 0) return result;
      const int r = runSize >> 4, s = runSize & 15;
      int16_t value = 0;
      if (s != 0) {
        uint32_t sign = 0;
        result = BitStepwise(stream, 1, sign);
        if (result != 0) return result;
        value = Wrap16(static_cast<int32_t>(static_cast<uint32_t>(sign != 0 ? 1 : -1) << al));
      } else if (runSize != 0xF0) {
        uint32_t extra = 0;
        result = BitStepwise(stream, r, extra);
        if (result != 0) return result;
        stream.end_of_band_run = (int32_t{1} << r) + static_cast<int32_t>(extra);
        break;
      }
      result = RefineWalkStepwise(stream, block, k, se, r, al);
      if (result != 0) return result;
      if (s != 0) block.values[kZigZagToNatural[k]] = value;
    }
  }
  if (stream.end_of_band_run > 0) {
    const int result = RefineWalkStepwise(stream, block, k, se, -1, al);
    if (result != 0) return result;
    stream.end_of_band_run -= 1;
  }
  return 0;
}

int FirstBandStepwise(JpegStream& stream, CoefficientBlock& block, const HuffmanDecodeTable& ac, int ss, int se,
                      int al) {
  if (stream.end_of_band_run > 0) {
    stream.end_of_band_run -= 1;
    return 0;
  }
  for (int k = ss; k <= se;) {
    int runSize = 0;
    int result = DecodeHuffman(stream, ac, runSize);
    if (result != 0) return result;
    const int r = runSize >> 4, s = runSize & 15;
    uint32_t bits = 0;
    result = BitStepwise(stream, s != 0 ? s : runSize == 0xF0 ? 0 : r, bits);
    if (result != 0) return result;
    if (s != 0) {
      k += r;
      block.values[kZigZagToNatural[k]] =
          Wrap16(static_cast<int32_t>(static_cast<uint32_t>(ExtendReceived(bits, s)) << al));
      k += 1;
    } else if (runSize == 0xF0) {
      k += 16;
    } else {
      stream.end_of_band_run = (int32_t{1} << r) + static_cast<int32_t>(bits) - 1;
      return 0;
    }
  }
  return 0;
}

// The zig-zag positions 1 to 63 whose coefficient is nonzero.
uint64_t NonzeroAcPositions(const CoefficientBlock& block) {
  uint64_t positions = 0;
  for (int k = 1; k < 64; ++k) positions |= uint64_t{block.values[kZigZagToNatural[k]] != 0} << k;
  return positions;
}

// Blocks as earlier passes leave them: a DC term alone (a flat area), a few
// nonzero coefficients, or about half of them, of any value, some with bit
// `al` already set.
CoefficientBlock RandomRefinedBlock(std::mt19937& random) {
  CoefficientBlock block{};
  const uint32_t oneIn = std::array<uint32_t, 4>{0, 16, 2, 2}[random() % 4];
  for (auto& value : block.values) {
    if (oneIn != 0 && random() % oneIn == 0) value = static_cast<int16_t>(random());
  }
  block.values[0] = static_cast<int16_t>(random());
  return block;
}

TEST(ProgressiveBandTest, EqualsTheStepByStepWalkOnRandomTablesAndData) {
  std::mt19937 random(7031);
  for (int trial = 0; trial < 2000; ++trial) {
    SCOPED_TRACE(trial);
    const bool refine = trial % 2 == 0;
    const HuffmanDecodeTable ac = RandomTable(random);
    const std::vector<uint8_t> bytes = RandomData(random);
    const bool fromFile = random() % 3 == 0;
    const int ss = 1 + static_cast<int>(random() % 63);
    const int se = ss + static_cast<int>(random() % (64 - ss));
    const int al = static_cast<int>(random() % 14);
    Source fast(bytes, fromFile);
    Source stepwise(bytes, fromFile);
    for (int blockIndex = 0; blockIndex < 400; ++blockIndex) {
      CoefficientBlock fastBlock = RandomRefinedBlock(random);
      CoefficientBlock stepwiseBlock = fastBlock;
      uint64_t nonzero = NonzeroAcPositions(fastBlock);
      const int fastResult =
          (refine ? DecodeAcRefine : DecodeAcFirst)(*fast.stream, fastBlock, nonzero, ac, ss, se, al);
      const int stepwiseResult =
          (refine ? RefineBandStepwise : FirstBandStepwise)(*stepwise.stream, stepwiseBlock, ac, ss, se, al);
      ASSERT_EQ(fastResult, stepwiseResult == kMarkerReached ? 0 : stepwiseResult) << "block " << blockIndex;
      ASSERT_EQ(std::memcmp(&fastBlock, &stepwiseBlock, sizeof fastBlock), 0) << "block " << blockIndex;
      ASSERT_EQ(nonzero, NonzeroAcPositions(fastBlock)) << "block " << blockIndex;
      ASSERT_EQ(fast.stream->end_of_band_run, stepwise.stream->end_of_band_run) << "block " << blockIndex;
      ExpectSameState(*fast.stream, *stepwise.stream);
      if (fastResult != 0 || fast.stream->remaining == 0) break;
    }
  }
}

// ---- The coefficient buffer ----

// Every block of every component has a place of its own inside the buffer,
// which starts out zero (a first AC scan never clears a block), and a
// component's blocks lie in raster order, one row after another, so that a
// scan of one component walks memory in order.
TEST(CoefficientBufferTest, EachComponentsBlocksFormARasterPlane) {
  JpegComponent components[kMaxComponents] = {{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 2, 0}, {4, 2, 1, 0}};
  auto state = std::make_unique<PrivateState>();
  state->markers.frame.component_count = 4;
  state->markers.frame.components = components;
  state->output.mcus_across = 5;
  state->output.mcus_down = 3;
  state->read.memory_limit = int64_t{1} << 20;
  ASSERT_EQ(AllocateCoefficientBuffer(*state), JpegSuccess);
  const int16_t* values = state->progression.coefficient_buffer;
  EXPECT_TRUE(std::all_of(values, values + state->progression.coefficient_bytes / 2, [](int16_t v) { return v == 0; }));
  const CoefficientLayout layout = LayoutOf(*state);
  const auto* first = reinterpret_cast<const CoefficientBlock*>(state->progression.coefficient_buffer);
  const int64_t total = int64_t{layout.blocks_per_mcu} * 5 * 3;
  std::vector<int> uses(static_cast<size_t>(total));
  for (int c = 0; c < 4; ++c) {
    const int h = components[c].h, v = components[c].v;
    const int64_t start = &CoefficientBlockAt(*state, layout, 0, 0, c, 0, 0) - first;
    for (int row = 0; row < 3; ++row) {
      for (int column = 0; column < 5; ++column) {
        for (int bv = 0; bv < v; ++bv) {
          for (int bh = 0; bh < h; ++bh) {
            const int64_t index = &CoefficientBlockAt(*state, layout, column, row, c, bh, bv) - first;
            ASSERT_GE(index, 0);
            ASSERT_LT(index, total);
            ++uses[static_cast<size_t>(index)];
            EXPECT_EQ(index - start, (int64_t{row} * v + bv) * (5 * h) + column * h + bh);
          }
        }
      }
    }
  }
  EXPECT_TRUE(std::all_of(uses.begin(), uses.end(), [](int n) { return n == 1; }));
  std::free(state->progression.coefficient_buffer);
}

// The buffer's size is worked out in 64 bits and held to the read's budget
// before anything is allocated: a 65535 x 65535 frame of three components
// needs 25.8 GB and one of 4096 x 2731 MCUs just over 4 GiB; a 32-bit count
// would wrap both to sizes that fit.
TEST(CoefficientBufferTest, IsSizedIn64BitsAndRefusedPastTheBudget) {
  struct Case {
    int mcus_across, mcus_down;
    int64_t limit;
  } const cases[] = {{8192, 8192, int64_t{4} << 30}, {4096, 2731, int64_t{4} << 30}, {4096, 2731, int64_t{1} << 40}};
  JpegComponent components[kMaxComponents] = {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}};
  for (const Case& c : cases) {
    auto state = std::make_unique<PrivateState>();
    state->markers.frame.component_count = 3;
    state->markers.frame.components = components;
    state->output.mcus_across = c.mcus_across;
    state->output.mcus_down = c.mcus_down;
    state->read.memory_limit = c.limit;
    const int64_t needed = int64_t{3} * c.mcus_across * c.mcus_down * (128 + 8);  // a block and its mask
    SCOPED_TRACE(::testing::Message() << needed << " bytes under a budget of " << c.limit);
    if (needed > c.limit) {
      EXPECT_EQ(AllocateCoefficientBuffer(*state), JpegErrMemory);
      EXPECT_EQ(state->progression.coefficient_buffer, nullptr);
    } else {
      EXPECT_TRUE(WorkMemoryFits(*state, needed));
      EXPECT_FALSE(WorkMemoryFits(*state, c.limit + 1));
    }
  }
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
