// Huffman coding of one block of a sequential scan (EncodeBlockKernel): the
// DC difference, then the AC coefficients in zig-zag order as runs of zeros
// and magnitude categories, ZRL for every 16 zeros that a nonzero
// coefficient follows, and EOB when the block ends in zeros. The packed
// forms write the same bytes as the plain one for every block.
#pragma once

#include "jpeg/kernels/encode_kernel_types.h"

namespace halvora::jpeg {

// The most bytes one block can take: a DC code and difference of 16 + 11
// bits, 63 AC codes and magnitudes of 16 + 10 bits, every byte stuffed.
inline constexpr int kMaxBlockBytes = 2 * ((27 + 63 * 26 + 7) / 8);

uint8_t* EncodeBlockPlain(uint8_t* out, BitBuffer& bits, const CoefficientBlock& block, int16_t& lastDc,
                          const HuffmanEncodeTable& dc, const HuffmanEncodeTable& ac);

#if defined(HALVORA_JPEG_SSE2)
// Finds the nonzero coefficients with packed compares and visits only them.
uint8_t* EncodeBlockSse2(uint8_t* out, BitBuffer& bits, const CoefficientBlock& block, int16_t& lastDc,
                         const HuffmanEncodeTable& dc, const HuffmanEncodeTable& ac);
#endif

}  // namespace halvora::jpeg
