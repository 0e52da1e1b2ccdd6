// Parts of the encoder that the written streams show only indirectly: the
// limits of the Huffman tables it makes, and what a failing file leaves.
#include <gtest/gtest.h>
#include <halvora/jpeg.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "jpeg/encoder/huffman_statistics.h"
#include "jpeg/encoder/output_sink.h"

#include "tests/support/scratch_path.h"

namespace halvora::jpeg {
namespace {

namespace fs = std::filesystem;

// Counts that make the tables merge deep trees (Fibonacci counts give codes
// of up to 40 bits before limiting), a single symbol, none, every symbol
// alike, and random ones.
std::vector<SymbolCounts> CountKinds() {
  std::vector<SymbolCounts> kinds(5, SymbolCounts{});
  uint64_t a = 1, b = 1;
  for (int symbol = 0; symbol < 40; ++symbol, b += a, a = b - a) kinds[0].counts[symbol * 3] = a;
  kinds[1].counts[0x51] = 1000;
  for (uint64_t& count : kinds[3].counts) count = 7;
  std::mt19937_64 rng(5);
  for (uint64_t& count : kinds[4].counts) count = rng() % 3 == 0 ? 0 : rng() % 100000;
  return kinds;
}

// Every counted symbol gets exactly one code of 1 to 16 bits, the codes are
// a prefix code, and none is all 1-bits.
TEST(OptimalHuffmanSpecTest, CodesEveryCountedSymbolWithinTheLimits) {
  int kind = 0;
  for (const SymbolCounts& counts : CountKinds()) {
    SCOPED_TRACE("kind " + std::to_string(kind++));
    const HuffmanSpec spec = OptimalHuffmanSpec(counts);
    int total = 0;
    for (uint8_t n : spec.bits) total += n;
    ASSERT_EQ(total, spec.count);
    std::vector<int> seen(256, 0);
    for (int i = 0; i < spec.count; ++i) seen[spec.values[i]] += 1;
    int coded = 0;
    for (int symbol = 0; symbol < 256; ++symbol) {
      EXPECT_LE(seen[symbol], 1);
      if (counts.counts[symbol] > 0) {
        EXPECT_EQ(seen[symbol], 1) << "symbol " << symbol;
      }
      coded += counts.counts[symbol] > 0 ? 1 : 0;
    }
    EXPECT_EQ(spec.count, coded == 0 ? 1 : coded);
    // Canonical codes are a prefix code exactly when the Kraft sum is at most
    // 1; below 1 (in units of 2^-16), the all-1s code of 16 bits stays free.
    uint64_t kraft = 0;
    for (int length = 1; length <= 16; ++length) kraft += uint64_t{spec.bits[length - 1]} << (16 - length);
    EXPECT_LT(kraft, uint64_t{1} << 16);
    const HuffmanEncodeTable table = MakeEncodeTable(spec);
    for (int i = 0; i < spec.count; ++i) {
      const int length = table.length[spec.values[i]];
      EXPECT_NE(table.code[spec.values[i]], (1u << length) - 1) << "an all-1s code";
    }
  }
}

// A file output whose write or close fails.
class FailingFile final : public platform::WritableFile {
 public:
  explicit FailingFile(bool failWrite) : fail_write_(failWrite) {}
  bool Write(const void*, size_t) override { return !fail_write_; }
  bool Close() override { return fail_write_; }

 private:
  bool fail_write_;
};

// A failed write answers -23, a failed close -9, and either way the
// partial file is removed.
TEST(OutputSinkTest, AFailedFileLeavesNothingBehind) {
  const fs::path path = test_support::ScratchPath("failing-sink.jpg");
  const std::string name = path.string();
  for (bool failWrite : {true, false}) {
    std::ofstream(path) << "partial";
    std::vector<uint8_t> staging(64);
    OutputSink sink{
        staging.data(), staging.data() + staging.size(), staging.data(), nullptr, 0, 0, new FailingFile(failWrite),
        name.c_str()};
    const std::vector<uint8_t> bytes(100, 0xAB);
    int result = PutBytes(sink, bytes.data(), bytes.size());
    if (result == JpegSuccess) result = FinishSink(sink);
    EXPECT_EQ(result, failWrite ? JpegErrFile : JpegErrCloseFile);
    DiscardSink(sink);
    EXPECT_FALSE(fs::exists(path));
  }
}

}  // namespace
}  // namespace halvora::jpeg
