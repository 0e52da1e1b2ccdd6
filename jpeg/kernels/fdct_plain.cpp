#include <cstdlib>

#include "jpeg/kernels/fdct.h"

namespace halvora::jpeg {

namespace {

using namespace fdct_constants;

int32_t Descale(int32_t sum, int shift) { return (sum + (1 << (shift - 1))) >> shift; }

// One 8-point transform of x (each input below 2^15 in magnitude, so no sum
// leaves 32 bits), its outputs descaled by `shift`.
void Transform8(const int32_t (&x)[8], int shift, int32_t (&y)[8]) {
  const int32_t s0 = x[0] + x[7], s1 = x[1] + x[6], s2 = x[2] + x[5], s3 = x[3] + x[4];
  const int32_t d0 = x[0] - x[7], d1 = x[1] - x[6], d2 = x[2] - x[5], d3 = x[3] - x[4];
  const int32_t e0 = s0 + s3, e1 = s1 + s2;
  const int32_t a = s0 - s3, b = s1 - s2;
  y[0] = Descale(kK0 * e0 + kK0 * e1, shift);
  y[4] = Descale(kK0 * e0 - kK0 * e1, shift);
  y[2] = Descale(kC2 * a + kC6 * b, shift);
  y[6] = Descale(kC6 * a - kC2 * b, shift);
  y[1] = Descale((kC1 * d0 + kC3 * d1) + (kC5 * d2 + kC7 * d3), shift);
  y[3] = Descale((kC3 * d0 - kC7 * d1) - (kC1 * d2 + kC5 * d3), shift);
  y[5] = Descale((kC5 * d0 - kC1 * d1) + (kC7 * d2 + kC3 * d3), shift);
  y[7] = Descale((kC7 * d0 - kC5 * d1) + (kC3 * d2 - kC1 * d3), shift);
}

int16_t Quantise(int32_t coefficient, const ForwardQuantTable& table, int i) {
  const uint32_t n = static_cast<uint32_t>(std::abs(coefficient)) + table.half[i];
  const uint32_t quotient = (((n * table.reciprocal[i]) >> 16) * table.scale[i]) >> 16;
  return static_cast<int16_t>(coefficient < 0 ? -static_cast<int32_t>(quotient) : static_cast<int32_t>(quotient));
}

void ForwardDctBlock(const uint8_t* samples, ptrdiff_t stride, const ForwardQuantTable& table,
                     CoefficientBlock& block) {
  int32_t columns[8][8];  // [frequency down][column]
  int32_t x[8];
  int32_t y[8];
  int32_t sum = 0;
  for (int column = 0; column < 8; ++column) {
    for (int row = 0; row < 8; ++row) {
      sum += samples[row * stride + column];
      x[row] = samples[row * stride + column] - 128;
    }
    Transform8(x, kColumnShift, y);
    for (int v = 0; v < 8; ++v) columns[v][column] = y[v];
  }
  for (int v = 0; v < 8; ++v) {
    for (int column = 0; column < 8; ++column) x[column] = columns[v][column];
    Transform8(x, kRowShift, y);
    if (v == 0) y[0] = ExactDc(sum);
    for (int u = 0; u < 8; ++u) block.values[8 * v + u] = Quantise(y[u], table, 8 * v + u);
  }
}

}  // namespace

void ForwardDctPlain(const uint8_t* samples, ptrdiff_t stride, int32_t count, const ForwardQuantTable& table,
                     CoefficientBlock* blocks) {
  for (int32_t i = 0; i < count; ++i) ForwardDctBlock(samples + 8 * i, stride, table, blocks[i]);
}

}  // namespace halvora::jpeg
