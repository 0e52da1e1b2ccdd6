// Every packed encoder kernel against its plain twin: the same input into
// both, byte-identical results demanded (output past the end of the result
// included), over random and extreme inputs of every length a row can have.
#include <gtest/gtest.h>

#include "jpeg/kernels/kernels_sse2.h"

#if defined(HALVORA_JPEG_SSE2)

#include <cstdint>
#include <cstring>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "jpeg/encoder/bit_writer.h"
#include "jpeg/encoder/huffman_tables.h"
#include "jpeg/encoder/quant_tables.h"
#include "jpeg/kernels/dib_convert.h"
#include "jpeg/kernels/fdct.h"
#include "jpeg/kernels/huffman_encode.h"
#include "jpeg/kernels/kernel_table.h"

namespace halvora::jpeg {
namespace {

// A packed form runs only where the processor has its instructions.
bool Runs(bool avx2) { return !avx2 || HasAvx2(DetectProcessor()); }

#if defined(HALVORA_JPEG_AVX2)
constexpr bool kAvx2Built = true;
#define HALVORA_AVX2_TWIN(kernel) kernel##Avx2
#else
constexpr bool kAvx2Built = false;
#define HALVORA_AVX2_TWIN(kernel) kernel##Sse2
#endif

std::vector<uint8_t> RandomBytes(std::mt19937& rng, size_t count, int kind) {
  std::uniform_int_distribution<int> byte(0, 255), bit(0, 1);
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) {
    // Noise, extremes only, or a smooth ramp.
    bytes[i] = static_cast<uint8_t>(kind == 0 ? byte(rng) : kind == 1 ? 255 * bit(rng) : (i * 7 + 40) % 256);
  }
  return bytes;
}

// ---- Forward DCT with quantisation ----------------------------------------------

struct FdctTwin {
  const char* name;
  ForwardDctKernel packed;
  bool avx2;
};

void PrintTo(const FdctTwin& twin, std::ostream* os) { *os << twin.name; }

class PackedFdctTest : public ::testing::TestWithParam<FdctTwin> {};

// Rows of one to five blocks (pairs and a lone block for the 256-bit form),
// quantised by random tables, by all 1s and by all 255s.
TEST_P(PackedFdctTest, EqualsPlain) {
  if (!Runs(GetParam().avx2)) GTEST_SKIP() << "no AVX2 here";
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> value(1, 255), count(1, 5), kind(0, 2);
  ForwardQuantTable table;
  for (int trial = 0; trial < 20000; ++trial) {
    uint8_t values[64];
    for (uint8_t& v : values) v = static_cast<uint8_t>(trial % 3 == 0 ? 1 : trial % 3 == 1 ? 255 : value(rng));
    if (trial % 3 == 2) values[0] = static_cast<uint8_t>(value(rng));
    PrepareForwardQuantTable(values, table);
    const int blocks = count(rng);
    const ptrdiff_t stride = 8 * blocks + trial % 5;
    const std::vector<uint8_t> samples = RandomBytes(rng, static_cast<size_t>(stride) * 8, kind(rng));
    std::vector<CoefficientBlock> plain(6), packed(6);
    for (auto& block : packed) std::memset(block.values, 0x55, sizeof block.values);
    plain = packed;
    ForwardDctPlain(samples.data(), stride, blocks, table, plain.data());
    GetParam().packed(samples.data(), stride, blocks, table, packed.data());
    ASSERT_EQ(std::memcmp(plain.data(), packed.data(), plain.size() * sizeof(CoefficientBlock)), 0)
        << "trial " << trial;
  }
}

INSTANTIATE_TEST_SUITE_P(Kernels, PackedFdctTest,
                         ::testing::Values(FdctTwin{"Sse2", ForwardDctSse2, false},
                                           FdctTwin{"Avx2", HALVORA_AVX2_TWIN(ForwardDct), kAvx2Built}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- DIB lines into components ------------------------------------------------------

struct ConvertTwin {
  const char* name;
  DibConvertKernel packed;
  DibConvertKernel plain;
  int pixel_bytes;
  bool avx2;
};

void PrintTo(const ConvertTwin& twin, std::ostream* os) { *os << twin.name; }

class PackedConvertTest : public ::testing::TestWithParam<ConvertTwin> {};

// Lines of every length from 0 to 70 pixels: whole groups of 8 or 16 and
// every remainder. Samples past the line's end stay as they were.
TEST_P(PackedConvertTest, EqualsPlain) {
  const ConvertTwin& twin = GetParam();
  if (!Runs(twin.avx2)) GTEST_SKIP() << "no AVX2 here";
  std::mt19937 rng(12);
  constexpr int kLongest = 70;
  for (int trial = 0; trial < 3 * (kLongest + 1); ++trial) {
    const int count = trial % (kLongest + 1);
    const std::vector<uint8_t> pixels = RandomBytes(rng, static_cast<size_t>(count + 1) * twin.pixel_bytes, trial % 3);
    std::vector<uint8_t> plain(4 * (kLongest + 16), 0xC3), packed = plain;
    uint8_t* plainRows[4];
    uint8_t* packedRows[4];
    for (int k = 0; k < 4; ++k) {
      plainRows[k] = plain.data() + k * (kLongest + 16);
      packedRows[k] = packed.data() + k * (kLongest + 16);
    }
    twin.plain(pixels.data(), count, plainRows);
    twin.packed(pixels.data(), count, packedRows);
    ASSERT_EQ(plain, packed) << count << " pixels";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kernels, PackedConvertTest,
    ::testing::Values(
        ConvertTwin{"BgrToYccSse2", ConvertBgrToYccSse2, ConvertBgrToYccPlain, 3, false},
        ConvertTwin{"RgbToYccSse2", ConvertRgbToYccSse2, ConvertRgbToYccPlain, 3, false},
        ConvertTwin{"RgbxToYccSse2", ConvertRgbxToYccSse2, ConvertRgbxToYccPlain, 4, false},
        ConvertTwin{"RgbaToYcckSse2", ConvertRgbaToYcckSse2, ConvertRgbaToYcckPlain, 4, false},
        ConvertTwin{"BgrToGreySse2", ConvertBgrToGreySse2, ConvertBgrToGreyPlain, 3, false},
        ConvertTwin{"RgbToGreySse2", ConvertRgbToGreySse2, ConvertRgbToGreyPlain, 3, false},
        ConvertTwin{"BgrToYccAvx2", HALVORA_AVX2_TWIN(ConvertBgrToYcc), ConvertBgrToYccPlain, 3, kAvx2Built},
        ConvertTwin{"RgbToYccAvx2", HALVORA_AVX2_TWIN(ConvertRgbToYcc), ConvertRgbToYccPlain, 3, kAvx2Built},
        ConvertTwin{"RgbxToYccAvx2", HALVORA_AVX2_TWIN(ConvertRgbxToYcc), ConvertRgbxToYccPlain, 4, kAvx2Built},
        ConvertTwin{"RgbaToYcckAvx2", HALVORA_AVX2_TWIN(ConvertRgbaToYcck), ConvertRgbaToYcckPlain, 4, kAvx2Built}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Downsampling -------------------------------------------------------------------------

struct DownsampleTwin {
  const char* name;
  DownsampleKernel packed;
  DownsampleKernel plain;
  bool avx2;
};

void PrintTo(const DownsampleTwin& twin, std::ostream* os) { *os << twin.name; }

class PackedDownsampleTest : public ::testing::TestWithParam<DownsampleTwin> {};

// Rows of whole blocks, 8 to 96 output samples.
TEST_P(PackedDownsampleTest, EqualsPlain) {
  const DownsampleTwin& twin = GetParam();
  if (!Runs(twin.avx2)) GTEST_SKIP() << "no AVX2 here";
  std::mt19937 rng(13);
  for (int trial = 0; trial < 300; ++trial) {
    const int count = 8 * (1 + trial % 12);
    const std::vector<uint8_t> upper = RandomBytes(rng, 2 * count, trial % 3);
    const std::vector<uint8_t> lower = RandomBytes(rng, 2 * count, (trial + 1) % 3);
    std::vector<uint8_t> plain(count + 16, 0xC3), packed = plain;
    twin.plain(upper.data(), lower.data(), count, plain.data());
    twin.packed(upper.data(), lower.data(), count, packed.data());
    ASSERT_EQ(plain, packed) << count << " samples";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kernels, PackedDownsampleTest,
    ::testing::Values(DownsampleTwin{"H2V1Sse2", DownsampleH2V1Sse2, DownsampleH2V1Plain, false},
                      DownsampleTwin{"H2V2Sse2", DownsampleH2V2Sse2, DownsampleH2V2Plain, false},
                      DownsampleTwin{"H2V1Avx2", HALVORA_AVX2_TWIN(DownsampleH2V1), DownsampleH2V1Plain, kAvx2Built},
                      DownsampleTwin{"H2V2Avx2", HALVORA_AVX2_TWIN(DownsampleH2V2), DownsampleH2V2Plain, kAvx2Built}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Huffman coding of a block ----------------------------------------------------------

// A block of each kind in turn: all zero, DC alone, sparse, dense, the
// largest magnitudes, runs longer than 16 and 32, and the last coefficient
// alone. Values stay within what a quantised block can hold.
CoefficientBlock RandomBlock(std::mt19937& rng, int kind) {
  std::uniform_int_distribution<int> small(-20, 20), large(-1023, 1023), dc(-1024, 1023), position(1, 63);
  CoefficientBlock block{};
  block.values[0] = static_cast<int16_t>(dc(rng));
  switch (kind % 6) {
    case 1:
      for (int n = 0; n < 5; ++n) block.values[position(rng)] = static_cast<int16_t>(small(rng));
      break;
    case 2:
      for (int i = 1; i < 64; ++i) block.values[i] = static_cast<int16_t>(small(rng));
      break;
    case 3:
      for (int i = 1; i < 64; ++i) block.values[i] = static_cast<int16_t>(i % 2 ? 1023 : -1023);
      break;
    case 4:
      block.values[kZigZagToNatural[40]] = static_cast<int16_t>(large(rng));
      block.values[kZigZagToNatural[63]] = static_cast<int16_t>(large(rng));
      break;
    case 5:
      block.values[kZigZagToNatural[63]] = -1;
      break;
    default:
      break;
  }
  return block;
}

// Runs of blocks through both, each form keeping its own bit buffer and DC
// prediction, with the luminance and the chrominance tables.
TEST(PackedEncodeBlockTest, Sse2EqualsPlain) {
  std::mt19937 rng(14);
  for (int table = 0; table < 2; ++table) {
    const HuffmanEncodeTable dc = MakeEncodeTable(ExampleDcTable(table));
    const HuffmanEncodeTable ac = MakeEncodeTable(ExampleAcTable(table));
    std::vector<uint8_t> plain(300 * kMaxBlockBytes), packed(300 * kMaxBlockBytes);
    BitBuffer plainBits{}, packedBits{};
    int16_t plainDc = 0, packedDc = 0;
    uint8_t* plainEnd = plain.data();
    uint8_t* packedEnd = packed.data();
    for (int n = 0; n < 300; ++n) {
      const CoefficientBlock block = RandomBlock(rng, n);
      plainEnd = EncodeBlockPlain(plainEnd, plainBits, block, plainDc, dc, ac);
      packedEnd = EncodeBlockSse2(packedEnd, packedBits, block, packedDc, dc, ac);
      ASSERT_EQ(plainEnd - plain.data(), packedEnd - packed.data()) << "block " << n;
    }
    FlushBits(plainEnd, plainBits);
    FlushBits(packedEnd, packedBits);
    EXPECT_EQ(plain, packed);
  }
}

}  // namespace
}  // namespace halvora::jpeg

#endif  // HALVORA_JPEG_SSE2
