#include "tests/jpeg/kernels/idct_reference.h"

#include <array>

namespace halvora::jpeg::testing {

namespace {

using Vector = std::array<int64_t, 8>;

int64_t Wrap32(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value))); }
int64_t Shift(int64_t value, int bits) { return Wrap32(value) >> bits; }
int16_t Low16(int64_t value) { return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint64_t>(value))); }

int16_t ToSample(int64_t descaled) {
  const int64_t shifted = descaled + 128;
  return static_cast<int16_t>(shifted < 0 ? 0 : (shifted > 255 ? 255 : shifted));
}

Vector Column(const Block& block, int c) {
  Vector x;
  for (int r = 0; r < 8; ++r) x[r] = block[r * 8 + c];
  return x;
}

Vector Row(const Block& block, int r) {
  Vector x;
  for (int c = 0; c < 8; ++c) x[c] = block[r * 8 + c];
  return x;
}

// Method 1, full size.
Vector StepM1(const Vector& X) {
  const int64_t C1 = 32138, S1 = 6393, C3 = 27246, S3 = 18205, W2 = 42813, W6 = 17734, R2 = 5793;
  const int64_t P = X[1] * C1 + X[7] * S1;
  const int64_t Q = X[1] * S1 - X[7] * C1;
  const int64_t R = X[3] * C3 + X[5] * S3;
  const int64_t S = X[5] * C3 - X[3] * S3;
  const int64_t T0 = Shift(P + R + 2048, 12) * R2;
  const int64_t T3 = Shift(Q + S + 2048, 12) * R2;
  const int64_t T1 = (P - R) + (Q - S);
  const int64_t T2 = (P - R) - (Q - S);
  const int64_t E0 = (X[0] + X[4]) * 32768;
  const int64_t E1 = (X[0] - X[4]) * 32768;
  const int64_t F0 = X[2] * W2 + X[6] * W6;
  const int64_t F1 = X[2] * W6 - X[6] * W2;
  Vector Y;
  Y[0] = E0 + F0 + T0;
  Y[7] = E0 + F0 - T0;
  Y[1] = E1 + F1 + T1;
  Y[6] = E1 + F1 - T1;
  Y[2] = E1 - F1 + T2;
  Y[5] = E1 - F1 - T2;
  Y[3] = E0 - F0 + T3;
  Y[4] = E0 - F0 - T3;
  return Y;
}

// Method 1, half size (outputs y0..y3 in entries 0..3).
Vector StepM1Half(const Vector& X) {
  const int64_t E = X[0] * 16384;
  const int64_t G = X[2] * 15137 - X[6] * 6270;
  const int64_t t10 = E + G, t12 = E - G;
  const int64_t A = -X[7] * 1730 + X[5] * 11893 - X[3] * 17799 + X[1] * 8697;
  const int64_t B = -X[7] * 4176 - X[5] * 4926 + X[3] * 7373 + X[1] * 20995;
  return {t10 + B, t12 + A, t12 - A, t10 - B, 0, 0, 0, 0};
}

// Method 1, quarter size.
Vector StepM1Quarter(const Vector& X) {
  const int64_t E = X[0] * 32768;
  const int64_t A = X[1] * 29692 - X[3] * 10426 + X[5] * 6967 - X[7] * 5906;
  return {E + A, E - A, 0, 0, 0, 0, 0, 0};
}

int64_t D15(int64_t p) { return Shift(p + 16384, 15); }

// Method 0, full size (AAN).
Vector StepM0(const Vector& X) {
  const int64_t K1 = 25080, K2 = 46341, K3 = 85627, K4 = 35468;
  const int64_t z13 = X[5] + X[3], z10 = X[5] - X[3], z11 = X[1] + X[7], z12 = X[1] - X[7];
  const int64_t e = D15(Wrap32(z10 - z12) * K1);
  const int64_t t7 = z11 + z13;
  const int64_t t11 = D15(Wrap32(z11 - z13) * K2);
  const int64_t t10 = e - D15(Wrap32(z10) * K3);
  const int64_t t6 = D15(Wrap32(z12) * K4) - e - t7;
  const int64_t t5 = t11 - t6;
  const int64_t t4 = t10 + t5;
  const int64_t a = X[0] + X[4], b = X[0] - X[4], t13 = X[2] + X[6];
  const int64_t t12 = D15(Wrap32(X[2] - X[6]) * K2) - t13;
  Vector Y;
  Y[0] = a + t13 + t7;
  Y[7] = a + t13 - t7;
  Y[1] = b + t12 + t6;
  Y[6] = b + t12 - t6;
  Y[2] = b - t12 + t5;
  Y[5] = b - t12 - t5;
  Y[4] = a - t13 + t4;
  Y[3] = a - t13 - t4;
  return Y;
}

Vector StepM0Half(const Vector& X) {
  const int64_t d = X[5] - X[3];
  const int64_t e = X[1] - X[7];
  int64_t c = Shift(Wrap32(X[2] - X[6]) * 46341 + 16384, 15);
  c = c / 2;  // towards zero
  const int64_t h = Shift(Wrap32(e) * 60548 - Wrap32(d) * 25080 + 32768, 16);
  const int64_t k = Shift(Wrap32(d) * 60547 + Wrap32(e) * 25080 + 32768, 16);
  return {X[0] + c + h, X[0] - c + k, X[0] - c - k, X[0] + c - h, 0, 0, 0, 0};
}

Vector StepM0Quarter(const Vector& X) {
  const int64_t k = Shift(Wrap32(X[1] - X[7]) * 85627 + Wrap32(X[5] - X[3]) * 35468 + 65536, 17);
  return {X[0] + k, X[0] - k, 0, 0, 0, 0, 0, 0};
}

bool AllZero(const Vector& x, std::initializer_list<int> indexes) {
  for (int i : indexes) {
    if (Wrap32(x[i]) != 0) return false;
  }
  return true;
}

// Method 0 passes: the first keeps 16-bit results in the block itself.
template <class Step>
void InPlaceTwoPass(Block& block, int n, std::initializer_list<int> columns, Step step) {
  for (int c : columns) {
    const Vector y = step(Column(block, c));
    for (int r = 0; r < n; ++r) block[r * 8 + c] = Low16(y[r]);
  }
  for (int r = 0; r < n; ++r) {
    const Vector y = step(Row(block, r));
    for (int c = 0; c < n; ++c) block[r * 8 + c] = ToSample(Shift(y[c] + 8, 4));
  }
}

}  // namespace

void ReferenceIdct8x8Method1(Block& block) {
  int64_t ws[8][8];
  for (int r = 0; r < 8; ++r) {
    const Vector y = StepM1(Row(block, r));
    for (int c = 0; c < 8; ++c) ws[r][c] = Shift(y[c] + 2048, 12);
  }
  for (int c = 0; c < 8; ++c) {
    Vector x;
    for (int r = 0; r < 8; ++r) x[r] = ws[r][c];
    const Vector y = StepM1(x);
    for (int r = 0; r < 8; ++r) block[r * 8 + c] = ToSample(Shift(y[r] + 1048576, 21));
  }
}

void ReferenceIdct4x4Method1(Block& block) {
  int64_t ws[4][8] = {};
  for (int c : {0, 1, 2, 3, 5, 6, 7}) {
    const Vector x = Column(block, c);
    const bool shortcut = AllZero(x, {1, 2, 3, 5, 6, 7});
    const Vector y = StepM1Half(x);
    for (int r = 0; r < 4; ++r) ws[r][c] = shortcut ? Wrap32(x[0] * 4) : Shift(y[r] + 2048, 12);
  }
  for (int r = 0; r < 4; ++r) {
    Vector x;
    for (int c = 0; c < 8; ++c) x[c] = ws[r][c];
    const bool shortcut = AllZero(x, {1, 2, 3, 5, 6, 7});
    const Vector y = StepM1Half(x);
    for (int c = 0; c < 4; ++c) {
      block[r * 8 + c] = ToSample(shortcut ? Shift(x[0] + 16, 5) : Shift(y[c] + 262144, 19));
    }
  }
}

void ReferenceIdct2x2Method1(Block& block) {
  int64_t ws[2][8] = {};
  for (int c : {0, 1, 3, 5, 7}) {
    const Vector x = Column(block, c);
    const bool shortcut = AllZero(x, {1, 3, 5, 7});
    const Vector y = StepM1Quarter(x);
    for (int r = 0; r < 2; ++r) ws[r][c] = shortcut ? Wrap32(x[0] * 4) : Shift(y[r] + 4096, 13);
  }
  for (int r = 0; r < 2; ++r) {
    Vector x;
    for (int c = 0; c < 8; ++c) x[c] = ws[r][c];
    const bool shortcut = AllZero(x, {1, 3, 5, 7});
    const Vector y = StepM1Quarter(x);
    for (int c = 0; c < 2; ++c) {
      block[r * 8 + c] = ToSample(shortcut ? Shift(x[0] + 16, 5) : Shift(y[c] + 524288, 20));
    }
  }
}

void ReferenceIdct1x1Method1(Block& block) { block[0] = ToSample(Shift(block[0] + 4, 3)); }

void ReferenceIdct8x8Method0(Block& block) { InPlaceTwoPass(block, 8, {0, 1, 2, 3, 4, 5, 6, 7}, StepM0); }
void ReferenceIdct4x4Method0(Block& block) { InPlaceTwoPass(block, 4, {0, 1, 2, 3, 5, 6, 7}, StepM0Half); }
void ReferenceIdct2x2Method0(Block& block) { InPlaceTwoPass(block, 2, {0, 1, 3, 5, 7}, StepM0Quarter); }
void ReferenceIdct1x1Method0(Block& block) { block[0] = ToSample(Shift(block[0] + 8, 4)); }

}  // namespace halvora::jpeg::testing
