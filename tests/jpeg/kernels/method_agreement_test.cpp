// Both transform methods must decode the same picture to nearly the same
// samples: the scaled (method 0) path differs only by its coarser fixed-point
// factors. Blocks are quantised DCTs of smooth random patches with the usual
// luminance and chrominance tables at qualities 50, 75 and 90.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>
#include <ostream>
#include <random>
#include <string>

#include "jpeg/kernels/idct.h"
#include "jpeg/kernels/quant.h"

namespace halvora::jpeg {
namespace {

// The example tables of the JPEG standard (Annex K), natural order.
constexpr int kLuminanceBase[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,  //
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,  //
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,  //
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99,
};
constexpr int kChrominanceBase[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,  //
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,  //
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,  //
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
};

// cjpeg's quality scaling, natural order.
void ScaledTable(const int (&base)[64], int quality, int (&table)[64]) {
  const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
  for (int i = 0; i < 64; ++i) table[i] = std::clamp((base[i] * scale + 50) / 100, 1, 255);
}

// The same DQT values prepared for one method (stored in stream order first).
void PreparedTable(const int (&natural)[64], int method, int32_t (&prepared)[80]) {
  for (int k = 0; k < 64; ++k) prepared[k] = natural[kZigZagToNatural[k]];
  PrepareQuantTable(prepared, method);
}

double Basis(int k) { return k == 0 ? std::numbers::sqrt2 / 2 : 1.0; }

// A gradient, a low-frequency wave and a little noise.
void SmoothPatch(std::mt19937& rng, double (&samples)[64]) {
  std::uniform_real_distribution<double> level(30, 225);
  std::uniform_real_distribution<double> slope(-6, 6);
  std::uniform_real_distribution<double> waveHeight(0, 30);
  std::uniform_real_distribution<double> phase(0, 6.3);
  std::normal_distribution<double> noise(0, 2.5);
  const double base = level(rng), dx = slope(rng), dy = slope(rng), amplitude = waveHeight(rng), p = phase(rng);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const double wave = amplitude * std::sin(0.6 * x + 0.4 * y + p);
      const double value = base + dx * (x - 3.5) + dy * (y - 3.5) + wave + noise(rng);
      samples[8 * y + x] = std::clamp(std::round(value), 0.0, 255.0);
    }
  }
}

void QuantizedDct(const double (&samples)[64], const int (&table)[64], CoefficientBlock& block) {
  for (int v = 0; v < 8; ++v) {
    for (int u = 0; u < 8; ++u) {
      double sum = 0;
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
          sum += (samples[8 * y + x] - 128) * std::cos((2 * x + 1) * u * std::numbers::pi / 16) *
                 std::cos((2 * y + 1) * v * std::numbers::pi / 16);
        }
      }
      const double coefficient = sum * Basis(u) * Basis(v) / 4;
      block.values[8 * v + u] = static_cast<int16_t>(std::lround(coefficient / table[8 * v + u]));
    }
  }
}

struct SizePair {
  const char* name;
  InverseDctKernel method0;
  InverseDctKernel method1;
  int size;
  // Largest difference allowed: the largest measured over the 2400 blocks
  // below. At 1x1 both methods compute the same DC (256 v / 128 = 2 v).
  int bound;
};

const SizePair kSizes[] = {
    {"8x8", InverseDct8x8Method0Plain, InverseDct8x8Method1Plain, 8, 1},
    {"4x4", InverseDct4x4Method0Plain, InverseDct4x4Method1Plain, 4, 1},
    {"2x2", InverseDct2x2Method0Plain, InverseDct2x2Method1Plain, 2, 1},
    {"1x1", InverseDct1x1Method0Plain, InverseDct1x1Method1Plain, 1, 0},
};

void PrintTo(const SizePair& sizes, std::ostream* os) { *os << sizes.name; }

class MethodAgreementTest : public ::testing::TestWithParam<SizePair> {};

TEST_P(MethodAgreementTest, MethodsAgreeOnRealisticBlocks) {
  std::mt19937 rng(7);
  int largest = 0;
  long differing = 0, compared = 0;
  for (int quality : {50, 75, 90}) {
    for (const auto* base : {&kLuminanceBase, &kChrominanceBase}) {
      int table[64];
      ScaledTable(*base, quality, table);
      int32_t prepared0[80], prepared1[80];
      PreparedTable(table, 0, prepared0);
      PreparedTable(table, 1, prepared1);
      for (int trial = 0; trial < 400; ++trial) {
        double samples[64];
        SmoothPatch(rng, samples);
        CoefficientBlock scaled{};
        QuantizedDct(samples, table, scaled);
        CoefficientBlock plain = scaled;
        DequantizeBlockMethod0Plain(scaled, prepared0, scaled);
        GetParam().method0(scaled);
        DequantizeBlockMethod1Plain(plain, prepared1, plain);
        GetParam().method1(plain);
        for (int r = 0; r < GetParam().size; ++r) {
          for (int c = 0; c < GetParam().size; ++c) {
            const int difference = std::abs(scaled.values[8 * r + c] - plain.values[8 * r + c]);
            largest = std::max(largest, difference);
            differing += difference != 0;
            ++compared;
          }
        }
      }
    }
  }
  RecordProperty("largest_difference", largest);
  RecordProperty("differing_samples", std::to_string(differing) + " of " + std::to_string(compared));
  EXPECT_LE(largest, GetParam().bound);
}

INSTANTIATE_TEST_SUITE_P(AllSizes, MethodAgreementTest, ::testing::ValuesIn(kSizes),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace halvora::jpeg
