// The forward DCT with quantisation against the transform's definition in
// double precision, and the reciprocal division against exact division.
#include "jpeg/kernels/fdct.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

#include "jpeg/encoder/quant_tables.h"

namespace halvora::jpeg {
namespace {

// (1/4) c(u) c(v) sum (s - 128) cos((2x+1) u pi/16) cos((2y+1) v pi/16).
double Coefficient(const uint8_t (&samples)[64], int u, int v) {
  const double pi = std::acos(-1.0);
  double sum = 0;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      sum += (samples[8 * y + x] - 128) * std::cos((2 * x + 1) * u * pi / 16) * std::cos((2 * y + 1) * v * pi / 16);
    }
  }
  const double half = std::sqrt(0.5);
  return sum / 4 * (u == 0 ? half : 1) * (v == 0 ? half : 1);
}

ForwardQuantTable TableOf(uint8_t value) {
  uint8_t values[64];
  for (uint8_t& v : values) v = value;
  ForwardQuantTable table;
  PrepareForwardQuantTable(values, table);
  return table;
}

TEST(ForwardQuantTableTest, DividesEveryNumeratorExactly) {
  for (int value = 1; value <= 255; ++value) {
    const ForwardQuantTable table = TableOf(static_cast<uint8_t>(value));
    const uint32_t divisor = 16u * value;
    ASSERT_EQ(table.half[0], divisor / 2);
    for (uint32_t n = 0; n < 32768; ++n) {
      const uint32_t quotient = (((n * table.reciprocal[0]) >> 16) * table.scale[0]) >> 16;
      ASSERT_EQ(quotient, n / divisor) << n << " / " << divisor;
    }
  }
}

// Every coefficient of random blocks, of every flat block, and of the
// blocks that drive each coefficient to its largest magnitude (samples 0
// and 255 by the signs of its cosines) comes out as the exact coefficient divided by the table's value
// and rounded, give or take one where the exact quotient lies within 1/8 of
// a half (the 4 fraction bits kept between the passes, 1 more than the
// decoder's integer inverse transform keeps, bound the error), and the DC
// exactly (flat blocks included, whose DC often lies halfway). With every value 1 the quantised coefficients are the
// transform itself, whose AC magnitudes stay within the 10 bits baseline coding has.
TEST(ForwardDctTest, RoundsTheExactCoefficientsToNearest) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> byte(0, 255);
  const double pi = std::acos(-1.0);
  for (uint8_t value : {1, 2, 16, 99}) {
    const ForwardQuantTable table = TableOf(value);
    for (int trial = 0; trial < 64 + 256 + 2000; ++trial) {
      uint8_t samples[64];
      for (int i = 0; i < 64; ++i) {
        const int u = trial % 8, v = (trial / 8) % 8;
        const double sign = std::cos((2 * (i % 8) + 1) * u * pi / 16) * std::cos((2 * (i / 8) + 1) * v * pi / 16);
        const int flat = trial - 64;
        samples[i] = static_cast<uint8_t>(trial < 64 ? (sign >= 0 ? 255 : 0) : flat < 256 ? flat : byte(rng));
      }
      CoefficientBlock block;
      ForwardDctPlain(samples, 8, 1, table, &block);
      for (int v = 0; v < 8; ++v) {
        for (int u = 0; u < 8; ++u) {
          const double exact = Coefficient(samples, u, v) / value;
          const int got = block.values[8 * v + u];
          const double distanceFromHalf = std::abs(std::abs(exact - std::trunc(exact)) - 0.5);
          // The DC is exact, so it rounds correctly even halfway.
          if (distanceFromHalf > 1.0 / 8 || u + v == 0) {
            ASSERT_EQ(got, std::lround(exact)) << "coefficient " << u << "," << v << " trial " << trial;
          } else {
            ASSERT_LE(std::abs(got - exact), 1.0);
          }
          if (value == 1 && u + v > 0) {
            ASSERT_LE(std::abs(got), 1023);
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace halvora::jpeg
