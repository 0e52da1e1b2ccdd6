#include <cstddef>
#include <initializer_list>

#include "jpeg/kernels/idct.h"
#include "jpeg/kernels/idct_constants.h"
#include "jpeg/kernels/sample_clamp.h"
#include "jpeg/kernels/wrapping_int32.h"

namespace halvora::jpeg {

namespace {

using namespace idct_constants;

using Wide = WrappingInt32;

void LoadRow(const CoefficientBlock& block, int row, Wide (&x)[8]) {
  for (int j = 0; j < 8; ++j) x[j] = block.values[8 * row + j];
}

void LoadColumn(const CoefficientBlock& block, int column, Wide (&x)[8]) {
  for (int j = 0; j < 8; ++j) x[j] = block.values[8 * j + column];
}

// Reduced transforms of both methods skip the columns their second pass
// never reads: column 4 at half size, columns 2, 4 and 6 at quarter size.
constexpr int kHalfSizeColumns[] = {0, 1, 2, 3, 5, 6, 7};
constexpr int kQuarterSizeColumns[] = {0, 1, 3, 5, 7};

bool AcTermsZero(const Wide (&x)[8], std::initializer_list<int> indexes) {
  for (int i : indexes) {
    if (x[i].Value() != 0) return false;
  }
  return true;
}

bool OnlyDcIsSet(const CoefficientBlock& block) {
  int16_t any = 0;
  for (int i = 1; i < 64; ++i) any = static_cast<int16_t>(any | block.values[i]);
  return any == 0;
}

// ---- Method 1: integer transform, 15-bit rotation constants -------------


void IntegerStep8(const Wide (&x)[8], Wide (&y)[8]) {
  const Wide p = x[1] * kC1 + x[7] * kS1;
  const Wide q = x[1] * kS1 - x[7] * kC1;
  const Wide r = x[3] * kC3 + x[5] * kS3;
  const Wide s = x[5] * kC3 - x[3] * kS3;
  const Wide t0 = ((p + r + 2048) >> 12) * kR2;
  const Wide t3 = ((q + s + 2048) >> 12) * kR2;
  const Wide t1 = (p - r) + (q - s);
  const Wide t2 = (p - r) - (q - s);
  const Wide e0 = (x[0] + x[4]) * 32768;
  const Wide e1 = (x[0] - x[4]) * 32768;
  const Wide f0 = x[2] * kW2 + x[6] * kW6;
  const Wide f1 = x[2] * kW6 - x[6] * kW2;
  y[0] = e0 + f0 + t0;
  y[7] = e0 + f0 - t0;
  y[1] = e1 + f1 + t1;
  y[6] = e1 + f1 - t1;
  y[2] = e1 - f1 + t2;
  y[5] = e1 - f1 - t2;
  y[3] = e0 - f0 + t3;
  y[4] = e0 - f0 - t3;
}

void IntegerStep4(const Wide (&x)[8], Wide (&y)[4]) {
  const Wide e = x[0] * 16384;
  const Wide g = x[2] * 15137 - x[6] * 6270;
  const Wide t10 = e + g;
  const Wide t12 = e - g;
  const Wide a = -x[7] * 1730 + x[5] * 11893 - x[3] * 17799 + x[1] * 8697;
  const Wide b = -x[7] * 4176 - x[5] * 4926 + x[3] * 7373 + x[1] * 20995;
  y[0] = t10 + b;
  y[3] = t10 - b;
  y[1] = t12 + a;
  y[2] = t12 - a;
}

void IntegerStep2(const Wide (&x)[8], Wide (&y)[2]) {
  const Wide e = x[0] * 32768;
  const Wide a = x[1] * 29692 - x[3] * 10426 + x[5] * 6967 - x[7] * 5906;
  y[0] = e + a;
  y[1] = e - a;
}

// ---- Method 0: AAN transform, 16-bit values between the passes ----------


Wide Descale15(Wide product) { return (product + 16384) >> 15; }

void AanStep8(const Wide (&x)[8], Wide (&y)[8]) {
  const Wide z13 = x[5] + x[3];
  const Wide z10 = x[5] - x[3];
  const Wide z11 = x[1] + x[7];
  const Wide z12 = x[1] - x[7];
  const Wide e = Descale15((z10 - z12) * kK1);
  const Wide t7 = z11 + z13;
  const Wide t11 = Descale15((z11 - z13) * kK2);
  const Wide t10 = e - Descale15(z10 * kK3);
  const Wide t6 = Descale15(z12 * kK4) - e - t7;
  const Wide t5 = t11 - t6;
  const Wide t4 = t10 + t5;
  const Wide a = x[0] + x[4];
  const Wide b = x[0] - x[4];
  const Wide t13 = x[2] + x[6];
  const Wide t12 = Descale15((x[2] - x[6]) * kK2) - t13;
  y[0] = a + t13 + t7;
  y[7] = a + t13 - t7;
  y[1] = b + t12 + t6;
  y[6] = b + t12 - t6;
  y[2] = b - t12 + t5;
  y[5] = b - t12 - t5;
  y[4] = a - t13 + t4;
  y[3] = a - t13 - t4;
}

void AanStep4(const Wide (&x)[8], Wide (&y)[4]) {
  const Wide d = x[5] - x[3];
  const Wide e = x[1] - x[7];
  // Halved with truncation towards zero, unlike the shifts around it.
  const Wide c = Descale15((x[2] - x[6]) * kK2).Value() / 2;
  const Wide h = (e * 60548 - d * 25080 + 32768) >> 16;
  const Wide k = (d * 60547 + e * 25080 + 32768) >> 16;
  y[0] = x[0] + c + h;
  y[1] = x[0] - c + k;
  y[2] = x[0] - c - k;
  y[3] = x[0] + c - h;
}

void AanStep2(const Wide (&x)[8], Wide (&y)[2]) {
  const Wide k = ((x[1] - x[7]) * 85627 + (x[5] - x[3]) * 35468 + 65536) >> 17;
  y[0] = x[0] + k;
  y[1] = x[0] - k;
}

// The first pass of method 0 keeps its results in the block itself, as
// 16-bit values; the second pass descales them into samples.
template <int kSize, void (*kStep)(const Wide (&)[8], Wide (&)[kSize]), size_t kColumns>
void AanTransform(CoefficientBlock& block, const int (&columns)[kColumns]) {
  Wide x[8];
  Wide y[kSize];
  for (int column : columns) {
    LoadColumn(block, column, x);
    kStep(x, y);
    for (int j = 0; j < kSize; ++j) block.values[8 * j + column] = static_cast<int16_t>(y[j].Value());
  }
  for (int row = 0; row < kSize; ++row) {
    LoadRow(block, row, x);
    kStep(x, y);
    for (int j = 0; j < kSize; ++j) block.values[8 * row + j] = LevelShiftAndClamp(((y[j] + 8) >> 4).Value());
  }
}

}  // namespace

void InverseDct8x8Method1Plain(CoefficientBlock& block) {
  alignas(32) Wide workspace[8][8];
  Wide x[8];
  Wide y[8];
  for (int row = 0; row < 8; ++row) {
    LoadRow(block, row, x);
    IntegerStep8(x, y);
    for (int j = 0; j < 8; ++j) workspace[row][j] = (y[j] + 2048) >> 12;
  }
  for (int column = 0; column < 8; ++column) {
    for (int j = 0; j < 8; ++j) x[j] = workspace[j][column];
    IntegerStep8(x, y);
    for (int j = 0; j < 8; ++j) block.values[8 * j + column] = LevelShiftAndClamp(((y[j] + 1048576) >> 21).Value());
  }
}

void InverseDct4x4Method1Plain(CoefficientBlock& block) {
  Wide workspace[4][8];
  Wide x[8];
  Wide y[4];
  for (int column : kHalfSizeColumns) {
    LoadColumn(block, column, x);
    const bool dcOnly = AcTermsZero(x, {1, 2, 3, 5, 6, 7});
    if (!dcOnly) IntegerStep4(x, y);
    for (int j = 0; j < 4; ++j) workspace[j][column] = dcOnly ? x[0] * 4 : (y[j] + 2048) >> 12;
  }
  for (int row = 0; row < 4; ++row) {
    for (int j = 0; j < 8; ++j) x[j] = workspace[row][j];
    const bool dcOnly = AcTermsZero(x, {1, 2, 3, 5, 6, 7});
    if (!dcOnly) IntegerStep4(x, y);
    for (int j = 0; j < 4; ++j) {
      const Wide descaled = dcOnly ? (x[0] + 16) >> 5 : (y[j] + 262144) >> 19;
      block.values[8 * row + j] = LevelShiftAndClamp(descaled.Value());
    }
  }
}

void InverseDct2x2Method1Plain(CoefficientBlock& block) {
  // Most blocks of a quarter-size read are DC alone: both passes below would
  // take their DC-only ways, giving every sample (4 DC + 16) >> 5.
  if (OnlyDcIsSet(block)) {
    const int16_t sample = LevelShiftAndClamp(((Wide{block.values[0]} * 4 + 16) >> 5).Value());
    for (int index : {0, 1, 8, 9}) block.values[index] = sample;
    return;
  }
  Wide workspace[2][8];
  Wide x[8];
  Wide y[2];
  for (int column : kQuarterSizeColumns) {
    LoadColumn(block, column, x);
    const bool dcOnly = AcTermsZero(x, {1, 3, 5, 7});
    if (!dcOnly) IntegerStep2(x, y);
    for (int j = 0; j < 2; ++j) workspace[j][column] = dcOnly ? x[0] * 4 : (y[j] + 4096) >> 13;
  }
  for (int row = 0; row < 2; ++row) {
    for (int j = 0; j < 8; ++j) x[j] = workspace[row][j];
    const bool dcOnly = AcTermsZero(x, {1, 3, 5, 7});
    if (!dcOnly) IntegerStep2(x, y);
    for (int j = 0; j < 2; ++j) {
      const Wide descaled = dcOnly ? (x[0] + 16) >> 5 : (y[j] + 524288) >> 20;
      block.values[8 * row + j] = LevelShiftAndClamp(descaled.Value());
    }
  }
}

void InverseDct1x1Method1Plain(CoefficientBlock& block) {
  block.values[0] = LevelShiftAndClamp((block.values[0] + 4) >> 3);
}

void InverseDct8x8Method0Plain(CoefficientBlock& block) {
  constexpr int kAllColumns[] = {0, 1, 2, 3, 4, 5, 6, 7};
  AanTransform<8, AanStep8>(block, kAllColumns);
}

void InverseDct4x4Method0Plain(CoefficientBlock& block) { AanTransform<4, AanStep4>(block, kHalfSizeColumns); }

void InverseDct2x2Method0Plain(CoefficientBlock& block) { AanTransform<2, AanStep2>(block, kQuarterSizeColumns); }

void InverseDct1x1Method0Plain(CoefficientBlock& block) {
  block.values[0] = LevelShiftAndClamp((block.values[0] + 8) >> 4);
}

}  // namespace halvora::jpeg
