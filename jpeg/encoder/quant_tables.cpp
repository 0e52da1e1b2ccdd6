#include "jpeg/encoder/quant_tables.h"

#include <algorithm>
#include <bit>

namespace halvora::jpeg {

namespace {

// The example tables of the JPEG standard, natural order.
constexpr uint8_t kExampleTables[2][64] = {{16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,   //
                                            14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,   //
                                            18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,   //
                                            49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99},  //
                                           {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,          //
                                            24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,          //
                                            99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,          //
                                            99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99}};

}  // namespace

void ScaledQuantTable(int table, int quality, uint8_t (&values)[64]) {
  const int32_t scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
  for (int i = 0; i < 64; ++i) {
    const int32_t scaled = (kExampleTables[table][i] * scale + 50) / 100;
    values[i] = static_cast<uint8_t>(std::clamp(scaled, 1, 255));
  }
}

// For a divisor d = 16 v (16 to 4080) and L = the bit length of d - 1, the
// reciprocal ceil(2^(15 + L) / d) fits 16 bits and gives n / d exactly for
// every n below 2^15 as (n x reciprocal) >> (15 + L); the kernels take that
// shift as >> 16 and then a multiply by 2^(17 - L) and >> 16.
void PrepareForwardQuantTable(const uint8_t (&values)[64], ForwardQuantTable& table) {
  for (int i = 0; i < 64; ++i) {
    const uint32_t divisor = 16u * values[i];
    const int bits = std::bit_width(divisor - 1);
    table.reciprocal[i] = static_cast<uint16_t>(((uint32_t{1} << (15 + bits)) + divisor - 1) / divisor);
    table.half[i] = static_cast<uint16_t>(divisor / 2);
    table.scale[i] = static_cast<uint16_t>(1u << (17 - bits));
  }
}

}  // namespace halvora::jpeg
