// Every packed-arithmetic kernel against its plain twin: the same input into
// both, byte-identical results demanded. The plain kernels define the
// results on every input, corrupt coefficients and stray sample bits
// included, so the inputs here range over everything the types can hold.
// The SSE2 and the AVX2 forms share each test; the AVX2 cases are skipped
// on a processor (or a system) without AVX2.
#include <gtest/gtest.h>
#include <halvora/jpeg.h>

#include "jpeg/kernels/kernels_avx2.h"
#include "jpeg/kernels/kernels_sse2.h"

#if defined(HALVORA_JPEG_SSE2)

#include <cstdint>
#include <cstring>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "jpeg/kernels/color_output.h"
#include "jpeg/kernels/color_pass.h"
#include "jpeg/kernels/component_output.h"
#include "jpeg/kernels/idct.h"
#include "jpeg/kernels/kernel_table.h"
#include "jpeg/kernels/quant.h"
#include "jpeg/kernels/smooth_upsampling.h"
#include "jpeg/markers/frame.h"
#include "jpeg/output/smooth_output.h"
#include "tests/support/guarded_dib.h"

namespace halvora::jpeg {
namespace {

// A kernel of the AVX2 set runs only where the table would take it.
bool Runs(KernelSet set) { return set != KernelSet::kAvx2 || HasAvx2(DetectProcessor()); }
constexpr const char* kNoAvx2 = "this processor (or its system) has no AVX2: the AVX2 kernels go untested here";

std::string BlockText(const CoefficientBlock& block) {
  std::string text;
  for (int i = 0; i < 64; ++i) text += (i % 8 == 0 ? "\n  " : " ") + std::to_string(block.values[i]);
  return text;
}

// ---- Inverse DCTs -------------------------------------------------------------

struct IdctTwins {
  const char* name;
  KernelSet set;
  InverseDctKernel packed;
  InverseDctKernel plain;
};

const IdctTwins kSse2IdctTwins[] = {
    {"Method1_8x8", KernelSet::kSse2, InverseDct8x8Method1Sse2, InverseDct8x8Method1Plain},
    {"Method0_8x8", KernelSet::kSse2, InverseDct8x8Method0Sse2, InverseDct8x8Method0Plain},
};

void PrintTo(const IdctTwins& twins, std::ostream* os) { *os << twins.name; }

class PackedIdctTest : public ::testing::TestWithParam<IdctTwins> {
 protected:
  void SetUp() override {
    if (!Runs(GetParam().set)) GTEST_SKIP() << kNoAvx2;
  }

  // Runs both kernels on copies of `input`; true when they agree (a failure
  // names the block, and only the first few are reported).
  bool Agree(const CoefficientBlock& input) {
    CoefficientBlock packed = input;
    CoefficientBlock plain = input;
    GetParam().packed(packed);
    GetParam().plain(plain);
    if (std::memcmp(packed.values, plain.values, sizeof plain.values) == 0) return true;
    if (++failures_ <= 3) {
      ADD_FAILURE() << "input:" << BlockText(input) << "\npacked:" << BlockText(packed)
                    << "\nplain:" << BlockText(plain);
    }
    return false;
  }

  int failures_ = 0;
};

CoefficientBlock Filled(int16_t value) {
  CoefficientBlock block;
  for (auto& v : block.values) v = value;
  return block;
}

TEST_P(PackedIdctTest, EdgeBlocks) {
  EXPECT_TRUE(Agree(CoefficientBlock{}));
  for (int16_t dc : {80, 160, -1100, 1100, -2200, 2200, -4, -5, -8, -9, 32767, -32768}) {
    CoefficientBlock block{};
    block.values[0] = dc;
    EXPECT_TRUE(Agree(block)) << "DC " << dc;
  }
  for (int16_t value : {-32768, -32767, -1, 1, 32767}) {
    EXPECT_TRUE(Agree(Filled(value))) << "every coefficient " << value;
    for (int position = 0; position < 64; ++position) {
      CoefficientBlock block{};
      block.values[position] = value;
      EXPECT_TRUE(Agree(block)) << "coefficient " << position << " = " << value;
    }
  }
  // Alternating extremes drive the sums of both passes as far as they go.
  CoefficientBlock checker;
  CoefficientBlock stripes;
  for (int i = 0; i < 64; ++i) {
    checker.values[i] = ((i / 8 + i % 8) % 2 == 0) ? int16_t{32767} : int16_t{-32768};
    stripes.values[i] = (i % 8 < 4) ? int16_t{-32768} : int16_t{32767};
  }
  EXPECT_TRUE(Agree(checker));
  EXPECT_TRUE(Agree(stripes));
}

TEST_P(PackedIdctTest, EveryDcOnlyBlock) {
  for (int dc = -32768; dc <= 32767; ++dc) {
    CoefficientBlock block{};
    block.values[0] = static_cast<int16_t>(dc);
    ASSERT_TRUE(Agree(block)) << "DC " << dc;
  }
}

// Random blocks of several kinds, each checked in both kernels.
struct RandomBlocks {
  const char* kind;
  int count;
  std::function<CoefficientBlock(std::mt19937&)> make;
};

std::vector<RandomBlocks> RandomBlockKinds() {
  return {
      {"dense over the whole int16 range", 100000,
       [](std::mt19937& rng) {
         std::uniform_int_distribution<int> value(-32768, 32767);
         CoefficientBlock block;
         for (auto& v : block.values) v = static_cast<int16_t>(value(rng));
         return block;
       }},
      {"dense in rows 0 to 3 over the whole int16 range", 60000,
       [](std::mt19937& rng) {
         std::uniform_int_distribution<int> value(-32768, 32767);
         CoefficientBlock block{};
         for (int i = 0; i < 32; ++i) block.values[i] = static_cast<int16_t>(value(rng));
         return block;
       }},
      {"sparse over the whole int16 range", 60000,
       [](std::mt19937& rng) {
         std::uniform_int_distribution<int> value(-32768, 32767), position(0, 63), count(1, 6);
         CoefficientBlock block{};
         for (int n = count(rng); n > 0; --n) block.values[position(rng)] = static_cast<int16_t>(value(rng));
         return block;
       }},
      {"extreme values only", 60000,
       [](std::mt19937& rng) {
         constexpr int16_t kExtremes[] = {-32768, -32767, -16385, -1, 0, 1, 16384, 32767};
         std::uniform_int_distribution<int> pick(0, 7);
         CoefficientBlock block;
         for (auto& v : block.values) v = kExtremes[pick(rng)];
         return block;
       }},
      // What dequantised blocks of real streams look like: large low
      // frequencies, small or zero high ones.
      {"picture-like", 60000,
       [](std::mt19937& rng) {
         std::uniform_int_distribution<int> unit(-1000, 1000), zero(0, 3);
         CoefficientBlock block;
         for (int i = 0; i < 64; ++i) {
           const int frequency = i / 8 + i % 8;
           block.values[i] = zero(rng) == 0 ? int16_t{0} : static_cast<int16_t>(unit(rng) * 8 / (1 + frequency));
         }
         return block;
       }},
  };
}

TEST_P(PackedIdctTest, RandomBlocks) {
  std::mt19937 rng(20261208);
  for (const RandomBlocks& kind : RandomBlockKinds()) {
    SCOPED_TRACE(kind.kind);
    for (int n = 0; n < kind.count; ++n) ASSERT_TRUE(Agree(kind.make(rng))) << "block " << n;
  }
}

INSTANTIATE_TEST_SUITE_P(Sse2, PackedIdctTest, ::testing::ValuesIn(kSse2IdctTwins),
                         [](const auto& info) { return std::string(info.param.name); });

#if defined(HALVORA_JPEG_AVX2)
const IdctTwins kAvx2IdctTwins[] = {
    {"Method1_8x8", KernelSet::kAvx2, InverseDct8x8Method1Avx2, InverseDct8x8Method1Plain},
    {"Method0_8x8", KernelSet::kAvx2, InverseDct8x8Method0Avx2, InverseDct8x8Method0Plain},
    {"Method1_4x4", KernelSet::kAvx2, InverseDct4x4Method1Avx2, InverseDct4x4Method1Plain},
    {"Method1_2x2", KernelSet::kAvx2, InverseDct2x2Method1Avx2, InverseDct2x2Method1Plain},
};
INSTANTIATE_TEST_SUITE_P(Avx2, PackedIdctTest, ::testing::ValuesIn(kAvx2IdctTwins),
                         [](const auto& info) { return std::string(info.param.name); });
#endif

// ---- Dequantisation -------------------------------------------------------

struct DequantizeTwins {
  const char* name;
  KernelSet set;
  DequantizeKernel packed;
};

void PrintTo(const DequantizeTwins& twins, std::ostream* os) { *os << twins.name; }

class PackedDequantizeTest : public ::testing::TestWithParam<DequantizeTwins> {
 protected:
  void SetUp() override {
    if (!Runs(GetParam().set)) GTEST_SKIP() << kNoAvx2;
  }
};

// Tables may hold any 32-bit factor (a table prepared for the other method
// carries scaled factors beyond 16 bits); only the low 16 bits of each
// product count.
TEST_P(PackedDequantizeTest, Method1EqualsPlain) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> coefficient(-32768, 32767);
  std::uniform_int_distribution<int32_t> wide(INT32_MIN, INT32_MAX);
  std::uniform_int_distribution<int> factor8(1, 255), factor16(1, 65535), kind(0, 3);
  alignas(32) int32_t storage[80 + 1];
  for (int n = 0; n < 100000; ++n) {
    // Every other table starts one entry past the alignment, as a table in
    // the caller's own storage may.
    int32_t* entries = storage + (n % 2);
    const int tableKind = kind(rng);
    for (int i = 0; i < 64; ++i) {
      entries[i] = tableKind == 0 ? factor8(rng) : tableKind == 1 ? factor16(rng) : tableKind == 2 ? wide(rng) : -1;
    }
    CoefficientBlock input;
    for (auto& v : input.values) {
      v = static_cast<int16_t>(n % 5 == 0 ? (coefficient(rng) % 2 ? 32767 : -32768) : coefficient(rng));
    }
    CoefficientBlock packed{};
    CoefficientBlock plain{};
    GetParam().packed(input, entries, packed);
    DequantizeBlockMethod1Plain(input, entries, plain);
    ASSERT_EQ(std::memcmp(packed.values, plain.values, sizeof plain.values), 0)
        << "input:" << BlockText(input) << "\npacked:" << BlockText(packed) << "\nplain:" << BlockText(plain);
  }
}

const DequantizeTwins kDequantizeTwins[] = {
    {"Sse2", KernelSet::kSse2, DequantizeBlockMethod1Sse2},
#if defined(HALVORA_JPEG_AVX2)
    {"Avx2", KernelSet::kAvx2, DequantizeBlockMethod1Avx2},
#endif
};

INSTANTIATE_TEST_SUITE_P(Sets, PackedDequantizeTest, ::testing::ValuesIn(kDequantizeTwins),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Interpolating upsampling ---------------------------------------------

struct UpsampleTwins {
  const char* name;
  SmoothUpsampleKernel packed;
  SmoothUpsampleKernel plain;
};

void PrintTo(const UpsampleTwins& twins, std::ostream* os) { *os << twins.name; }

class PackedUpsampleTest : public ::testing::TestWithParam<UpsampleTwins> {};

// Neighbourhoods of every size the reads use, of random bytes and of the
// extremes only, into planes of random bytes: the planes must come out the
// same everywhere, where the filters write and where they do not.
TEST_P(PackedUpsampleTest, EqualsPlain) {
  std::mt19937 rng(47);
  std::uniform_int_distribution<int> byte(0, 255), extreme(0, 1);
  for (int trial = 0; trial < 40000; ++trial) {
    ChromaNeighbourhood chroma{};
    chroma.size = 8 >> (trial % 4);
    for (auto& row : chroma.ring) {
      for (auto& sample : row) sample = static_cast<uint8_t>(trial % 3 == 0 ? 255 * extreme(rng) : byte(rng));
    }
    McuPlane packed;
    for (auto& sample : packed.samples) sample = static_cast<uint8_t>(byte(rng));
    McuPlane plain = packed;
    GetParam().packed(chroma, packed);
    GetParam().plain(chroma, plain);
    ASSERT_EQ(std::memcmp(packed.samples, plain.samples, sizeof plain.samples), 0)
        << "trial " << trial << ", size " << chroma.size;
  }
}

const UpsampleTwins kUpsampleTwins[] = {
    {"Smooth2x1Sse2", UpsampleSmooth2x1Sse2, UpsampleSmooth2x1},
    {"Smooth2x2Sse2", UpsampleSmooth2x2Sse2, UpsampleSmooth2x2},
};
INSTANTIATE_TEST_SUITE_P(Sse2, PackedUpsampleTest, ::testing::ValuesIn(kUpsampleTwins),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- The per-component colour conversion of a row ---------------------------

#if defined(HALVORA_JPEG_AVX2)
// Rows of every length up to a few chunks, of random samples and of the
// extremes, into guarded pixel rows of every width and colour the
// conversion meets (the packed form hands the ones it does not lay out to
// the plain one): the rows must come out the same, guards included.
TEST(PackedConvertRowTest, Avx2EqualsPlain) {
  if (!Runs(KernelSet::kAvx2)) GTEST_SKIP() << kNoAvx2;
  std::mt19937 rng(48);
  std::uniform_int_distribution<int> byte(0, 255), length(0, 40), extreme(0, 1);
  constexpr int kDibColors[] = {JpegColorBgr, JpegColorRgb, JpegColorRgba, JpegColorGrey};
  for (int trial = 0; trial < 40000; ++trial) {
    const int count = length(rng);
    const int channels = 3 + trial % 2;
    const int dibColor = kDibColors[(trial / 2) % 4];
    uint8_t samples[3][40];
    for (auto& plane : samples) {
      for (auto& sample : plane) sample = static_cast<uint8_t>(trial % 5 == 0 ? 255 * extreme(rng) : byte(rng));
    }
    std::vector<uint8_t> packed(4 * 40 + 16);
    for (auto& b : packed) b = static_cast<uint8_t>(byte(rng));
    std::vector<uint8_t> plain = packed;
    ConvertMcuRowAvx2(samples[0], samples[1], samples[2], count, packed.data() + 8, channels, dibColor,
                      JpegColorYCbCr);
    ConvertMcuRow(samples[0], samples[1], samples[2], count, plain.data() + 8, channels, dibColor, JpegColorYCbCr);
    ASSERT_EQ(packed, plain) << "trial " << trial << ", " << count << " pixels of " << channels << " bytes";
  }
}
#endif

// ---- MCU output: fused colour routines and the grey copy ---------------------

struct OutputTwins {
  const char* name;
  KernelSet set;
  McuOutputKernel packed;
  McuOutputKernel plain;
  int width;  // MCU size in pixels
  int height;
  int pixelBytes;
};

const OutputTwins kSse2OutputTwins[] = {
    {"Path1_444Rgb", KernelSet::kSse2, OutputMcu444RgbSse2, OutputMcu444RgbPlain, 8, 8, 3},
    {"Path2_444Bgr", KernelSet::kSse2, OutputMcu444BgrSse2, OutputMcu444BgrPlain, 8, 8, 3},
    {"Path3_420Rgb", KernelSet::kSse2, OutputMcu420RgbSse2, OutputMcu420RgbPlain, 16, 16, 3},
    {"Path4_420Bgr", KernelSet::kSse2, OutputMcu420BgrSse2, OutputMcu420BgrPlain, 16, 16, 3},
    {"Path5_422Rgb", KernelSet::kSse2, OutputMcu422RgbSse2, OutputMcu422RgbPlain, 16, 8, 3},
    {"Path6_422Bgr", KernelSet::kSse2, OutputMcu422BgrSse2, OutputMcu422BgrPlain, 16, 8, 3},
    {"Path7_444Rgba", KernelSet::kSse2, OutputMcu444RgbaSse2, OutputMcu444RgbaPlain, 8, 8, 4},
    {"Path8_420Rgba", KernelSet::kSse2, OutputMcu420RgbaSse2, OutputMcu420RgbaPlain, 16, 16, 4},
    {"Path9_422Rgba", KernelSet::kSse2, OutputMcu422RgbaSse2, OutputMcu422RgbaPlain, 16, 8, 4},
};

void PrintTo(const OutputTwins& twins, std::ostream* os) { *os << twins.name; }

using test_support::GuardedDib;

class PackedOutputTest : public ::testing::TestWithParam<OutputTwins> {
 protected:
  void SetUp() override {
    if (!Runs(GetParam().set)) GTEST_SKIP() << kNoAvx2;
  }

  int LumaBlocks() const { return GetParam().width * GetParam().height / 64; }

  // Both kernels write the MCU into identical copies of `dib` at `topLeft`;
  // the whole buffers, guards included, must come out the same.
  void ExpectSameOutput(const McuBuffer& mcu, const GuardedDib& dib, ptrdiff_t topLeft, ptrdiff_t lineBytes,
                        int channels, PixelRect visible) {
    GuardedDib packed = dib;
    GuardedDib plain = dib;
    GetParam().packed(mcu, McuTarget{packed.TopLine(), topLeft, lineBytes, channels, visible});
    GetParam().plain(mcu, McuTarget{plain.TopLine(), topLeft, lineBytes, channels, visible});
    test_support::ExpectSameBytes(packed, plain.bytes);
  }

  // The MCU at the top-left corner of a DIB with lines `padding` bytes
  // longer than the MCU row, all of it visible.
  void ExpectSameWholeMcu(std::mt19937& rng, const McuBuffer& mcu, bool bottomUp, int padding) {
    const OutputTwins& t = GetParam();
    const GuardedDib dib(rng, t.height, t.width * t.pixelBytes + padding, bottomUp);
    ExpectSameOutput(mcu, dib, 0, dib.stride, t.pixelBytes, {0, 0, t.width, t.height});
  }
};

// Samples anywhere in the int16 range: the routines use their low byte.
McuBuffer RandomMcu(std::mt19937& rng, bool strayBits) {
  std::uniform_int_distribution<int> sample(strayBits ? -32768 : 0, strayBits ? 32767 : 255);
  McuBuffer mcu;
  for (auto& block : mcu.blocks) {
    for (auto& value : block.values) value = static_cast<int16_t>(sample(rng));
  }
  return mcu;
}

TEST_P(PackedOutputTest, RandomWholeMcus) {
  std::mt19937 rng(42);
  for (int trial = 0; trial < 3000; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    ASSERT_NO_FATAL_FAILURE(ExpectSameWholeMcu(rng, RandomMcu(rng, trial % 3 == 0), trial % 2 == 1, trial % 7));
  }
}

// Clipped MCUs go to the plain loop; the packed routine must hand them over
// whole, wherever the visible part lies.
TEST_P(PackedOutputTest, RandomClippedMcus) {
  const OutputTwins& t = GetParam();
  std::mt19937 rng(43);
  std::uniform_int_distribution<int> x(0, t.width), y(0, t.height);
  for (int trial = 0; trial < 2000; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    const GuardedDib dib(rng, t.height, t.width * t.pixelBytes + 3, trial % 2 == 1);
    const int x1 = x(rng), x2 = x(rng), y1 = y(rng), y2 = y(rng);
    const PixelRect visible{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    ASSERT_NO_FATAL_FAILURE(ExpectSameOutput(RandomMcu(rng, false), dib, 0, dib.stride, t.pixelBytes, visible));
  }
}

// Targets the packed loop does not lay out itself: rows closer together
// than an MCU row (even overlapping) and a pixel size other than the
// routine's. The plain loop's result, overlaps and all, is the contract.
TEST_P(PackedOutputTest, UnusualTargets) {
  const OutputTwins& t = GetParam();
  std::mt19937 rng(44);
  const int rowBytes = t.width * t.pixelBytes;
  const GuardedDib dib(rng, 2 * t.height, rowBytes + 8, false);
  const McuBuffer mcu = RandomMcu(rng, false);
  const PixelRect whole{0, 0, t.width, t.height};
  for (ptrdiff_t lineBytes :
       {ptrdiff_t{0}, ptrdiff_t{t.pixelBytes}, ptrdiff_t{rowBytes - 1}, ptrdiff_t{-rowBytes + 1}}) {
    SCOPED_TRACE("line bytes " + std::to_string(lineBytes));
    const ptrdiff_t topLeft = lineBytes < 0 ? -lineBytes * (t.height - 1) : 0;
    ASSERT_NO_FATAL_FAILURE(ExpectSameOutput(mcu, dib, topLeft, lineBytes, t.pixelBytes, whole));
  }
  for (int channels : {t.pixelBytes - 1, t.pixelBytes + 1}) {
    SCOPED_TRACE("channels " + std::to_string(channels));
    ASSERT_NO_FATAL_FAILURE(ExpectSameOutput(mcu, dib, 0, rowBytes + 8, channels, whole));
  }
  // A visible rectangle larger than the MCU is the whole MCU.
  ASSERT_NO_FATAL_FAILURE(
      ExpectSameOutput(mcu, dib, 0, rowBytes + 8, t.pixelBytes, {-2, -1, t.width + 5, t.height + 1}));
}

// Every Cb, Cr pair (64 to an MCU's chroma blocks), each with luminance at
// both ends of its range and in between, so that every offset and every
// saturation of the clamp is met.
TEST_P(PackedOutputTest, EveryChromaPair) {
  std::mt19937 rng(45);
  std::uniform_int_distribution<int> byte(0, 255);
  const int cbBlock = LumaBlocks(), crBlock = LumaBlocks() + 1;
  for (int luma = 0; luma < 4; ++luma) {
    for (int first = 0; first < 65536; first += 64) {
      McuBuffer mcu{};
      for (int i = 0; i < 64; ++i) {
        mcu.blocks[cbBlock].values[i] = static_cast<int16_t>((first + i) >> 8);
        mcu.blocks[crBlock].values[i] = static_cast<int16_t>((first + i) & 0xFF);
      }
      for (int b = 0; b < LumaBlocks(); ++b) {
        for (auto& v : mcu.blocks[b].values) v = static_cast<int16_t>(luma == 0 ? 0 : luma == 1 ? 255 : byte(rng));
      }
      ASSERT_NO_FATAL_FAILURE(ExpectSameWholeMcu(rng, mcu, false, 0)) << "pairs from " << first << ", luma " << luma;
    }
  }
}

// Every luminance value against the extreme and middle chroma values.
TEST_P(PackedOutputTest, EveryLumaAgainstChromaExtremes) {
  std::mt19937 rng(46);
  const int cbBlock = LumaBlocks(), crBlock = LumaBlocks() + 1;
  constexpr int16_t kChroma[] = {0, 1, 127, 128, 129, 254, 255};
  for (int16_t cb : kChroma) {
    for (int16_t cr : kChroma) {
      for (int firstLuma = 0; firstLuma < 256; firstLuma += 64) {
        McuBuffer mcu{};
        for (int i = 0; i < 64; ++i) {
          mcu.blocks[cbBlock].values[i] = cb;
          mcu.blocks[crBlock].values[i] = cr;
        }
        for (int b = 0; b < LumaBlocks(); ++b) {
          for (int i = 0; i < 64; ++i) mcu.blocks[b].values[i] = static_cast<int16_t>((firstLuma + i + 16 * b) & 0xFF);
        }
        ASSERT_NO_FATAL_FAILURE(ExpectSameWholeMcu(rng, mcu, true, 1)) << "Cb " << cb << " Cr " << cr;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sse2, PackedOutputTest, ::testing::ValuesIn(kSse2OutputTwins),
                         [](const auto& info) { return std::string(info.param.name); });

// The per-component routine of a three-component YCbCr MCU, with the
// whole-MCU forms the AVX2 table gives its layout, or with none (the planes).
template <int kH, int kV, int kDibColor, bool kPacked>
ComponentOutputFormat YccFormat() {
  ComponentOutputFormat format{};
  format.jpegColor = JpegColorYCbCr;
  format.dibColor = kDibColor;
  format.componentCount = 3;
  format.horizontal[0] = format.hmax = kH;
  format.vertical[0] = format.vmax = kV;
  for (int c = 1; c < 3; ++c) format.horizontal[c] = format.vertical[c] = 1;
  format.convert = 1;
  if (kPacked) {
    KernelTable table;
    FillKernelTable(table, KernelSet::kAvx2);
    const int layout = WholeMcuLayoutOf(format);
    format.wholeMcu = table.whole_mcu[layout];
    if (layout >= kFirst420Layout) format.halfSizeMcu = table.half_size_mcu[layout - kFirst420Layout];
  }
  return format;
}

template <int kH, int kV, int kDibColor, bool kPacked>
void PerComponentMcu(const McuBuffer& mcu, const McuTarget& target) {
  OutputMcuPerComponent(mcu.blocks, kH * kV + 2, YccFormat<kH, kV, kDibColor, kPacked>(), target);
}

// A 4:2:0 MCU read at half size: 4x4 luminance blocks, chroma one size larger.
template <int kDibColor, bool kPacked>
void HalfSizeMcu(const McuBuffer& mcu, const McuTarget& target) {
  OutputReducedMcu(mcu.blocks, 6, YccFormat<2, 2, kDibColor, kPacked>(), 4, true, target);
}

// A 4:4:4, 4:2:2 or 4:2:0 (under simple sampling) MCU of a reduced read of
// blocks of kBlockSize samples a side, written a row at a time or through
// the planes.
template <int kH, int kV, int kBlockSize, int kDibColor, bool kByRows>
void ReducedMcu(const McuBuffer& mcu, const McuTarget& target) {
  ComponentOutputFormat format = YccFormat<kH, kV, kDibColor, false>();
  if (kByRows) format.reducedMcu = WriteReducedMcuByRows;
  OutputReducedMcu(mcu.blocks, kH * kV + 2, format, kBlockSize, kH == 2 && kV == 2, target);
}

// The same for a grey MCU, its one block.
template <int kBlockSize, int kDibColor, bool kByRows>
void ReducedGreyMcu(const McuBuffer& mcu, const McuTarget& target) {
  ComponentOutputFormat format{};
  format.jpegColor = JpegColorGrey;
  format.dibColor = kDibColor;
  format.componentCount = format.horizontal[0] = format.vertical[0] = format.hmax = format.vmax = 1;
  if (kByRows) format.reducedMcu = WriteReducedMcuByRows;
  OutputReducedMcu(mcu.blocks, 1, format, kBlockSize, false, target);
}

#if defined(HALVORA_JPEG_AVX2)
const OutputTwins kAvx2OutputTwins[] = {
    {"Path1_444Rgb", KernelSet::kAvx2, OutputMcu444RgbAvx2, OutputMcu444RgbPlain, 8, 8, 3},
    {"Path2_444Bgr", KernelSet::kAvx2, OutputMcu444BgrAvx2, OutputMcu444BgrPlain, 8, 8, 3},
    {"Path3_420Rgb", KernelSet::kAvx2, OutputMcu420RgbAvx2, OutputMcu420RgbPlain, 16, 16, 3},
    {"Path4_420Bgr", KernelSet::kAvx2, OutputMcu420BgrAvx2, OutputMcu420BgrPlain, 16, 16, 3},
    {"Path5_422Rgb", KernelSet::kAvx2, OutputMcu422RgbAvx2, OutputMcu422RgbPlain, 16, 8, 3},
    {"Path6_422Bgr", KernelSet::kAvx2, OutputMcu422BgrAvx2, OutputMcu422BgrPlain, 16, 8, 3},
    {"Path7_444Rgba", KernelSet::kAvx2, OutputMcu444RgbaAvx2, OutputMcu444RgbaPlain, 8, 8, 4},
    {"Path8_420Rgba", KernelSet::kAvx2, OutputMcu420RgbaAvx2, OutputMcu420RgbaPlain, 16, 16, 4},
    {"Path9_422Rgba", KernelSet::kAvx2, OutputMcu422RgbaAvx2, OutputMcu422RgbaPlain, 16, 8, 4},
    // The grey copies read block 0 only: the chroma cases vary nothing else for them.
    {"GreyCopy", KernelSet::kAvx2, CopyMcuGreyAvx2, CopyMcuGreyPlain, 8, 8, 1},
    {"GreyToColour", KernelSet::kAvx2, CopyMcuGreyToColourAvx2, CopyMcuGreyToColourPlain, 8, 8, 3},
    {"GreyToColourAlpha", KernelSet::kAvx2, CopyMcuGreyToColourAvx2, CopyMcuGreyToColourPlain, 8, 8, 4},
};
INSTANTIATE_TEST_SUITE_P(Avx2, PackedOutputTest, ::testing::ValuesIn(kAvx2OutputTwins),
                         [](const auto& info) { return std::string(info.param.name); });

template <int kH, int kV, int kDibColor, int kPixelBytes>
constexpr OutputTwins PerComponentTwins(const char* name) {
  const McuOutputKernel packed = PerComponentMcu<kH, kV, kDibColor, true>;
  const McuOutputKernel plain = PerComponentMcu<kH, kV, kDibColor, false>;
  return {name, KernelSet::kAvx2, packed, plain, 8 * kH, 8 * kV, kPixelBytes};
}

template <int kDibColor, int kPixelBytes>
constexpr OutputTwins HalfSizeTwins(const char* name) {
  return {name, KernelSet::kAvx2, HalfSizeMcu<kDibColor, true>, HalfSizeMcu<kDibColor, false>, 8, 8, kPixelBytes};
}

const OutputTwins kAvx2PerComponentTwins[] = {
    PerComponentTwins<1, 1, JpegColorRgb, 3>("PerComponent444Rgb"),
    PerComponentTwins<1, 1, JpegColorBgr, 3>("PerComponent444Bgr"),
    PerComponentTwins<1, 1, JpegColorRgba, 4>("PerComponent444Rgba"),
    PerComponentTwins<2, 1, JpegColorRgb, 3>("PerComponent422Rgb"),
    PerComponentTwins<2, 1, JpegColorBgr, 3>("PerComponent422Bgr"),
    PerComponentTwins<2, 1, JpegColorRgba, 4>("PerComponent422Rgba"),
    PerComponentTwins<2, 2, JpegColorRgb, 3>("PerComponent420Rgb"),
    PerComponentTwins<2, 2, JpegColorBgr, 3>("PerComponent420Bgr"),
    PerComponentTwins<2, 2, JpegColorRgba, 4>("PerComponent420Rgba"),
    // Their chroma blocks are 4 and 5, so the chroma cases below vary
    // luminance there; the random MCUs cover the chroma.
    HalfSizeTwins<JpegColorRgb, 3>("HalfSize420Rgb"),
    HalfSizeTwins<JpegColorBgr, 3>("HalfSize420Bgr"),
    HalfSizeTwins<JpegColorRgba, 4>("HalfSize420Rgba"),
};
INSTANTIATE_TEST_SUITE_P(Avx2PerComponent, PackedOutputTest, ::testing::ValuesIn(kAvx2PerComponentTwins),
                         [](const auto& info) { return std::string(info.param.name); });

// The middle MCU of a 4:2:2 or 4:2:0 frame of 3 x 3 MCUs with interpolated
// chroma, read at full size or (4:2:2) at half or quarter size, through the AVX2 set's
// whole-MCU form or the plain set's planes. The MCU's blocks are the case's;
// each neighbour's are the same samples moved round and mixed by its place,
// so that every edge it lends differs.
template <int kV, int kDibColor, bool kPacked, int kBlockSize = 8>
void SmoothMcu(const McuBuffer& mcu, const McuTarget& target) {
  constexpr int kBlocks = 2 * kV + 2;
  CoefficientBlock stored[3][3][kBlocks];
  McuNeighbourhood around{};
  for (int place = 0; place < 9; ++place) {
    CoefficientBlock* blocks = stored[place / 3][place % 3];
    for (int b = 0; b < kBlocks; ++b) {
      for (int i = 0; i < 64; ++i) {
        const int16_t value = mcu.blocks[b].values[(i + 9 * place) % 64];
        blocks[b].values[i] = place == 4 ? mcu.blocks[b].values[i] : static_cast<int16_t>(value ^ (37 * place));
      }
    }
    around.mcus[place / 3][place % 3] = blocks;
  }
  KernelTable table;
  FillKernelTable(table, kPacked ? KernelSet::kAvx2 : KernelSet::kPlain);
  ComponentOutputFormat format = YccFormat<2, kV, kDibColor, false>();
  if (kPacked) {
    const int layout = WholeMcuLayoutOf(format) - kFirst422Layout;
    format.smoothMcu = table.smooth_mcu[layout];
    if (kV == 1) {
      format.smoothHalfSizeMcu = table.smooth_half_size_mcu[layout];
      format.smoothQuarterSizeMcu = table.smooth_quarter_size_mcu[layout];
    }
  }
  JpegFrame frame{};
  frame.width = 3 * 16;
  frame.height = 3 * 8 * kV;
  OutputSmoothMcu(table, frame, format, around, kBlockSize, 1, 1, target);
}

template <int kV, int kDibColor, int kPixelBytes, int kBlockSize = 8>
constexpr OutputTwins SmoothTwins(const char* name) {
  return {name,
          KernelSet::kAvx2,
          SmoothMcu<kV, kDibColor, true, kBlockSize>,
          SmoothMcu<kV, kDibColor, false, kBlockSize>,
          2 * kBlockSize,
          kBlockSize * kV,
          kPixelBytes};
}

const OutputTwins kAvx2SmoothTwins[] = {
    SmoothTwins<1, JpegColorRgb, 3>("Smooth422Rgb"),
    SmoothTwins<1, JpegColorBgr, 3>("Smooth422Bgr"),
    SmoothTwins<1, JpegColorRgba, 4>("Smooth422Rgba"),
    SmoothTwins<2, JpegColorRgb, 3>("Smooth420Rgb"),
    SmoothTwins<2, JpegColorBgr, 3>("Smooth420Bgr"),
    SmoothTwins<2, JpegColorRgba, 4>("Smooth420Rgba"),
    SmoothTwins<1, JpegColorRgb, 3, 4>("SmoothHalfSize422Rgb"),
    SmoothTwins<1, JpegColorBgr, 3, 4>("SmoothHalfSize422Bgr"),
    SmoothTwins<1, JpegColorRgba, 4, 4>("SmoothHalfSize422Rgba"),
    SmoothTwins<1, JpegColorRgb, 3, 2>("SmoothQuarterSize422Rgb"),
    SmoothTwins<1, JpegColorBgr, 3, 2>("SmoothQuarterSize422Bgr"),
    SmoothTwins<1, JpegColorRgba, 4, 2>("SmoothQuarterSize422Rgba"),
};
INSTANTIATE_TEST_SUITE_P(Avx2Smooth, PackedOutputTest, ::testing::ValuesIn(kAvx2SmoothTwins),
                         [](const auto& info) { return std::string(info.param.name); });
#endif

// The row-by-row writing of reduced reads is plain code, checked here against
// the planes with the same cases (its MCUs are 1 to 8 pixels a side).
template <int kH, int kV, int kBlockSize, int kDibColor, int kPixelBytes>
constexpr OutputTwins ReducedRowTwins(const char* name) {
  const McuOutputKernel byRows = ReducedMcu<kH, kV, kBlockSize, kDibColor, true>;
  const McuOutputKernel byPlanes = ReducedMcu<kH, kV, kBlockSize, kDibColor, false>;
  return {name, KernelSet::kSse2, byRows, byPlanes, kH * kBlockSize, kV * kBlockSize, kPixelBytes};
}

template <int kBlockSize, int kDibColor, int kPixelBytes>
constexpr OutputTwins ReducedGreyTwins(const char* name) {
  const McuOutputKernel byRows = ReducedGreyMcu<kBlockSize, kDibColor, true>;
  const McuOutputKernel byPlanes = ReducedGreyMcu<kBlockSize, kDibColor, false>;
  return {name, KernelSet::kSse2, byRows, byPlanes, kBlockSize, kBlockSize, kPixelBytes};
}

const OutputTwins kReducedRowTwins[] = {
    ReducedRowTwins<2, 2, 4, JpegColorBgr, 3>("Half420Bgr"),
    ReducedRowTwins<2, 2, 4, JpegColorRgba, 4>("Half420Rgba"),
    ReducedRowTwins<2, 2, 2, JpegColorRgb, 3>("Quarter420Rgb"),
    ReducedRowTwins<2, 2, 2, JpegColorBgr, 3>("Quarter420Bgr"),
    ReducedRowTwins<2, 2, 2, JpegColorRgba, 4>("Quarter420Rgba"),
    ReducedRowTwins<2, 2, 1, JpegColorBgr, 3>("Eighth420Bgr"),
    ReducedRowTwins<2, 2, 1, JpegColorRgba, 4>("Eighth420Rgba"),
    ReducedRowTwins<2, 1, 4, JpegColorBgr, 3>("Half422Bgr"),
    ReducedRowTwins<2, 1, 4, JpegColorRgba, 4>("Half422Rgba"),
    ReducedRowTwins<2, 1, 2, JpegColorRgb, 3>("Quarter422Rgb"),
    ReducedRowTwins<2, 1, 1, JpegColorBgr, 3>("Eighth422Bgr"),
    ReducedRowTwins<1, 1, 4, JpegColorBgr, 3>("Half444Bgr"),
    ReducedRowTwins<1, 1, 4, JpegColorRgba, 4>("Half444Rgba"),
    ReducedRowTwins<1, 1, 2, JpegColorRgb, 3>("Quarter444Rgb"),
    ReducedRowTwins<1, 1, 1, JpegColorBgr, 3>("Eighth444Bgr"),
    ReducedGreyTwins<4, JpegColorGrey, 1>("HalfGreyToGrey"),
    ReducedGreyTwins<4, JpegColorBgr, 3>("HalfGreyToBgr"),
    ReducedGreyTwins<2, JpegColorRgba, 4>("QuarterGreyToRgba"),
    ReducedGreyTwins<2, JpegColorGrey, 1>("QuarterGreyToGrey"),
    ReducedGreyTwins<1, JpegColorRgb, 3>("EighthGreyToRgb"),
    ReducedGreyTwins<1, JpegColorRgba, 4>("EighthGreyToRgba"),
};
INSTANTIATE_TEST_SUITE_P(ReducedRows, PackedOutputTest, ::testing::ValuesIn(kReducedRowTwins),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace halvora::jpeg

#endif  // HALVORA_JPEG_SSE2
