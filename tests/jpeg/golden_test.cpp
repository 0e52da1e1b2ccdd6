// Exact outputs: every valid stream of the corpus, decoded in the reads that
// between them use every kernel family (each DIB colour, every reduced size,
// interpolated chroma, a region, both transforms), must give the DIB whose
// hash golden.tsv records. The decoding tests run once per kernel set
// (plain, SSE2, AVX2), so a faster kernel or decoder that moves a single
// byte fails here.
//
// The list is made once from a decoder known to be exact, and again only
// when the output is meant to change: HALVORA_GOLDEN_WRITE=<file> makes the
// test write the hashes it finds there instead of checking them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <halvora/jpeg.h>
#include "tests/jpeg/decode_support.h"
#include "tests/jpeg/record.h"
#include "tests/support/tsv_table.h"

namespace halvora::jpeg {
namespace {

struct GoldenRead {
  const char* name;
  int color;
  int channels;
  int io_type;
  bool smooth = false;
  bool region = false;
  int dct_method = 1;
};

const GoldenRead kReads[] = {
    {"bgr", JpegColorBgr, 3, BufferReadImage},
    {"grey", JpegColorGrey, 1, BufferReadImage},
    {"rgba", JpegColorRgba, 4, BufferReadImage},
    {"half", JpegColorBgr, 3, BufferReadHalf},
    {"quarter", JpegColorBgr, 3, BufferReadQuarter},
    {"eighth", JpegColorBgr, 3, BufferReadEighth},
    {"smooth", JpegColorBgr, 3, BufferReadImage, true},
    {"region", JpegColorBgr, 3, BufferReadImage, false, true},
    {"dct0", JpegColorBgr, 3, BufferReadImage, false, false, 0},
};

int ScaleOf(int ioType) {
  return ioType == BufferReadHalf ? 2 : ioType == BufferReadQuarter ? 4 : ioType == BufferReadEighth ? 8 : 1;
}

// FNV-1a over every byte of the DIB, its line padding included.
std::string HashOf(const std::vector<uint8_t>& bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (uint8_t byte : bytes) hash = (hash ^ byte) * 1099511628211ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

// The hash of the read's DIB, or "result N" when the read does not succeed.
std::string Decode(const std::vector<uint8_t>& stream, const GoldenRead& read) {
  testing::Record record;
  record->state.dct_method = read.dct_method;
  int result = record.ReadBuffer(stream, BufferReadParams);
  if (result != JpegSuccess) return "result " + std::to_string(result);
  const int scale = ScaleOf(read.io_type);
  int width = (record->jpeg_width + scale - 1) / scale;
  int height = (record->jpeg_height + scale - 1) / scale;
  if (read.region) {
    // The middle of the image, half of it each way.
    record->state.region = {width / 4, height / 4, std::max(width / 4 + 1, 3 * width / 4),
                            std::max(height / 4 + 1, 3 * height / 4)};
    width = record->state.region.right - record->state.region.left;
    height = record->state.region.bottom - record->state.region.top;
  }
  const int pad = 1;
  std::vector<uint8_t> dib(static_cast<size_t>(width * read.channels + pad) * static_cast<size_t>(height));
  record.UseDib(dib, width, -height, read.channels, read.color);
  record->dib_pad_bytes = pad;
  record->state.smooth_upsampling = read.smooth ? 1 : 0;
  result = record.ReadBuffer(stream, read.io_type);
  if (result != JpegSuccess && result != JpegRoiSuccess) return "result " + std::to_string(result);
  return HashOf(dib);
}

std::filesystem::path GoldenList() {
  const char* source = std::getenv("HALVORA_SOURCE_DIR");
  return std::filesystem::path(source != nullptr ? source : "") / "tests" / "jpeg" / "golden.tsv";
}

using Outputs = std::map<std::string, std::string>;  // "file read" -> hash or result

Outputs DecodeCorpus() {
  Outputs outputs;
  for (const auto& row : test_support::ReadTsv(testing::CorpusFolder() / "MANIFEST.tsv")) {
    const std::string& path = row["path"];
    if (path.rfind("valid/", 0) != 0) continue;
    const std::vector<uint8_t> stream = testing::ReadFileBytes(testing::CorpusFolder() / path);
    for (const GoldenRead& read : kReads) outputs[path + " " + read.name] = Decode(stream, read);
  }
  return outputs;
}

void WriteGoldenList(const char* file, const Outputs& outputs) {
  std::ofstream out(file);
  out << "file\tread\toutput\n";
  for (const auto& [key, output] : outputs) {
    const size_t space = key.rfind(' ');
    out << key.substr(0, space) << '\t' << key.substr(space + 1) << '\t' << output << '\n';
  }
}

TEST(GoldenTest, EveryValidStreamGivesTheRecordedBytes) {
  const Outputs outputs = DecodeCorpus();
  ASSERT_GT(outputs.size(), 80u * std::size(kReads));
  if (const char* file = std::getenv("HALVORA_GOLDEN_WRITE")) {
    WriteGoldenList(file, outputs);
    GTEST_SKIP() << "wrote " << outputs.size() << " outputs to " << file;
  }
  size_t checked = 0;
  for (const auto& row : test_support::ReadTsv(GoldenList())) {
    const std::string key = row["file"] + " " + row["read"];
    const auto found = outputs.find(key);
    ASSERT_NE(found, outputs.end()) << key << " is listed but no longer decoded";
    EXPECT_EQ(found->second, row["output"]) << key;
    ++checked;
  }
  EXPECT_EQ(checked, outputs.size()) << "every output is listed in " << GoldenList();
}

}  // namespace
}  // namespace halvora::jpeg
