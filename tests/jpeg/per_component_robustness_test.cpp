// Mutated streams through the per-component paths: layouts without a fused
// routine, scans of fewer components than the frame, reduced-size reads and
// interpolated chroma. Each read must end with a result code; the sanitizer
// build checks that none reads or writes out of bounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <halvora/jpeg.h>
#include "tests/jpeg/decode_support.h"
#include "tests/jpeg/record.h"

namespace halvora::jpeg {
namespace {

// Byte edits anywhere in the stream, mostly after its first scan header.
class Mutator {
 public:
  explicit Mutator(uint32_t seed) : state_(seed) {}
  std::vector<uint8_t> Mutate(std::vector<uint8_t> stream, size_t dataStart) {
    const int edits = 1 + static_cast<int>(Next() % 4);
    for (int i = 0; i < edits && stream.size() > dataStart + 1; ++i) {
      const size_t from = Next() % 8 == 0 ? 0 : dataStart;
      const size_t at = from + Next() % (stream.size() - from);
      switch (Next() % 4) {
        case 0:
          stream[at] = static_cast<uint8_t>(Next());
          break;
        case 1:
          stream[at] = static_cast<uint8_t>(stream[at] ^ (1u << (Next() % 8)));
          break;
        case 2:
          stream.erase(stream.begin() + static_cast<std::ptrdiff_t>(at));
          break;
        default:
          stream.resize(at > dataStart ? at : dataStart + 1);
          break;
      }
    }
    return stream;
  }

 private:
  uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  uint32_t state_;
};

size_t FirstScanData(const std::vector<uint8_t>& stream) {
  for (size_t i = 0; i + 3 < stream.size(); ++i) {
    if (stream[i] == 0xFF && stream[i + 1] == 0xDA) return i + 2 + (stream[i + 2] << 8 | stream[i + 3]);
  }
  return stream.size();
}

struct ReadMode {
  int ioType;
  int scale;
  int smooth;
};

// An image read into a bottom-up DIB of the scaled size the parameter read
// implies, with one byte of line padding.
int Read(const std::vector<uint8_t>& stream, const ReadMode& mode) {
  testing::Record record;
  int result = record.ReadBuffer(stream, BufferReadParams);
  if (result != JpegSuccess) return result;
  const int width = (record->jpeg_width + mode.scale - 1) / mode.scale;
  const int height = (record->jpeg_height + mode.scale - 1) / mode.scale;
  if (int64_t{width} * height > 128 * 128) return result;
  const int channels = record->dib_channels;
  std::vector<uint8_t> dib(static_cast<size_t>(width * channels + 1) * static_cast<size_t>(height));
  record.UseDib(dib, width, -height, channels, record->dib_color);
  record->dib_pad_bytes = 1;
  record->state.smooth_upsampling = mode.smooth;
  return record.ReadBuffer(stream, mode.ioType);
}

TEST(PerComponentMutationTest, EveryReadEndsWithACode) {
  const char* seeds[] = {"s420-33x65-each", "s411-33x65", "s24-17x17", "s420-33x65-luma-then-chroma",
                         "s422-17x17",      "s420-64x48-restart1"};
  const ReadMode modes[] = {{BufferReadImage, 1, 0},
                            {BufferReadImage, 1, 1},
                            {BufferReadHalf, 2, 0},
                            {BufferReadQuarter, 4, 1},
                            {BufferReadEighth, 8, 0}};
  constexpr int kPerSeed = 300;
  int reads = 0;
  for (const char* seed : seeds) {
    const std::vector<uint8_t> original =
        testing::ReadFileBytes(testing::OracleFolder() / (std::string(seed) + ".jpg"));
    ASSERT_FALSE(original.empty()) << seed;
    Mutator mutator(static_cast<uint32_t>(original.size()));
    for (int i = 0; i < kPerSeed; ++i) {
      const std::vector<uint8_t> stream = mutator.Mutate(original, FirstScanData(original));
      for (const ReadMode& mode : modes) {
        ASSERT_LE(Read(stream, mode), JpegSuccess) << seed << " mutation " << i << " io type " << mode.ioType;
        ++reads;
      }
    }
  }
  EXPECT_EQ(reads, 6 * kPerSeed * 5);
}

// An interleaved scan that names the luminance twice carries more blocks an
// MCU than the frame; the chroma interpolation must not keep them.
TEST(PerComponentMutationTest, ScanNamingAComponentTwiceEndsWithACode) {
  std::vector<uint8_t> stream = testing::ReadFileBytes(testing::OracleFolder() / "s420-64x48.jpg");
  const size_t data = FirstScanData(stream);
  ASSERT_LT(data, stream.size());
  size_t sos = 0;
  while (!(stream[sos] == 0xFF && stream[sos + 1] == 0xDA)) ++sos;
  ASSERT_EQ(stream[sos + 4], 3);
  stream[sos + 7] = stream[sos + 5];  // the second component becomes the first
  for (const ReadMode& mode : {ReadMode{BufferReadImage, 1, 1}, ReadMode{BufferReadHalf, 2, 0}}) {
    EXPECT_LE(Read(stream, mode), JpegSuccess);
  }
}

}  // namespace
}  // namespace halvora::jpeg
