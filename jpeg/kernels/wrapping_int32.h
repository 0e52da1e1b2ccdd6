// 32-bit two's-complement arithmetic that wraps instead of overflowing.
//
// The transforms and the dequantisation are defined on 32-bit intermediates.
// Valid streams never leave that range, but corrupt coefficients can; the
// kernels then keep the low 32 bits, exactly as a processor register would,
// rather than running into undefined behaviour.
#pragma once

#include <cstdint>

namespace halvora::jpeg {

class WrappingInt32 {
 public:
  constexpr WrappingInt32() : bits_(0) {}
  constexpr WrappingInt32(int32_t value) : bits_(static_cast<uint32_t>(value)) {}  // NOLINT: implicit on purpose

  constexpr int32_t Value() const { return static_cast<int32_t>(bits_); }

  friend constexpr WrappingInt32 operator+(WrappingInt32 a, WrappingInt32 b) { return FromBits(a.bits_ + b.bits_); }
  friend constexpr WrappingInt32 operator-(WrappingInt32 a, WrappingInt32 b) { return FromBits(a.bits_ - b.bits_); }
  friend constexpr WrappingInt32 operator*(WrappingInt32 a, WrappingInt32 b) { return FromBits(a.bits_ * b.bits_); }
  constexpr WrappingInt32 operator-() const { return FromBits(0u - bits_); }

  // Arithmetic shift, rounding towards minus infinity.
  constexpr WrappingInt32 operator>>(int count) const { return WrappingInt32(Value() >> count); }

 private:
  static constexpr WrappingInt32 FromBits(uint32_t bits) {
    WrappingInt32 result;
    result.bits_ = bits;
    return result;
  }

  uint32_t bits_;
};

}  // namespace halvora::jpeg
