#include "jpeg/encoder/bit_writer.h"
#include "jpeg/kernels/huffman_encode.h"

namespace halvora::jpeg {

uint8_t* EncodeBlockPlain(uint8_t* out, BitBuffer& bits, const CoefficientBlock& block, int16_t& lastDc,
                          const HuffmanEncodeTable& dc, const HuffmanEncodeTable& ac) {
  const int32_t difference = block.values[0] - lastDc;
  lastDc = block.values[0];
  const int dcCategory = MagnitudeCategory(difference);
  out = PutSymbol(out, bits, dc, dcCategory, MagnitudeBits(difference, dcCategory), dcCategory);
  int run = 0;
  for (int k = 1; k < 64; ++k) {
    const int32_t value = block.values[kZigZagToNatural[k]];
    if (value == 0) {
      ++run;
      continue;
    }
    for (; run > 15; run -= 16) out = PutSymbol(out, bits, ac, kZeroRunSymbol);
    const int category = MagnitudeCategory(value);
    out = PutSymbol(out, bits, ac, (run << 4) | category, MagnitudeBits(value, category), category);
    run = 0;
  }
  if (run > 0) out = PutSymbol(out, bits, ac, kEndOfBlockSymbol);
  return out;
}

}  // namespace halvora::jpeg
