#include "jpeg/block_decoder.h"

#include <cstring>

#include "jpeg/bit_reader.h"

namespace halvora::jpeg {

namespace {

constexpr int kZeroRunLength = 0xF0;  // 16 zero coefficients

// Takes `category` value bits (with a fill when too few are held) and extends
// them to a signed value. 0, kMarkerReached or a negative code.
int ReceiveExtended(JpegStream& stream, int category, int32_t& value) {
  if (stream.bit_count < category) {
    const int result = FillBits(stream, category);
    if (result != 0) return result;
  }
  value = ExtendReceived(GetBits(stream, category), category);
  return JpegSuccess;
}

// Steps 2 and 3 of a block: the DC difference added to the prediction, which
// becomes coefficient 0. 0, kMarkerReached (block over, nothing changed) or a
// negative code.
int DecodeDc(JpegStream& stream, const HuffmanDecodeTable& dc, int16_t& prediction, CoefficientBlock& block) {
  int category = 0;
  int result = DecodeHuffman(stream, dc, category);
  if (result != 0) return result;
  category &= 15;
  if (category != 0) {
    int32_t difference = 0;
    result = ReceiveExtended(stream, category, difference);
    if (result != 0) return result;
    prediction = static_cast<int16_t>(prediction + difference);
  }
  block.values[0] = prediction;
  return JpegSuccess;
}

// Walks the AC codes of a block; `store` receives each coefficient's value
// and zig-zag index. The padded zig-zag table keeps a run that passes
// coefficient 63 inside the block.
template <typename Store>
int DecodeAc(JpegStream& stream, const HuffmanDecodeTable& ac, Store store) {
  int left = 63;
  int index = 1;
  while (left > 0) {
    int runSize = 0;
    int result = DecodeHuffman(stream, ac, runSize);
    if (result != 0) return result;
    const int run = runSize >> 4;
    const int category = runSize & 15;
    if (category != 0) {
      index += run;
      left -= run + 1;
      int32_t value = 0;
      result = ReceiveExtended(stream, category, value);
      if (result != 0) return result;
      store(index, value);
      ++index;
    } else if (runSize == kZeroRunLength) {
      index += 16;
      left -= 16;
    } else {
      break;  // end of block
    }
  }
  return JpegSuccess;
}

// A marker met inside the block ends it without error.
int BlockResult(int result) { return result == kMarkerReached ? JpegSuccess : result; }

}  // namespace

int DecodeBlockPlain(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                     int16_t& prediction, CoefficientBlock& block) {
  std::memset(block.values, 0, sizeof block.values);
  int result = DecodeDc(stream, dc, prediction, block);
  if (result != 0) return BlockResult(result);
  result = DecodeAc(stream, ac, [&block](int index, int32_t value) {
    block.values[kZigZagToNatural[index]] = static_cast<int16_t>(value);
  });
  return BlockResult(result);
}

int SkipBlockPlain(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                   int16_t& prediction, CoefficientBlock& block) {
  int result = DecodeDc(stream, dc, prediction, block);
  if (result != 0) return BlockResult(result);
  result = DecodeAc(stream, ac, [](int, int32_t) {});
  return BlockResult(result);
}

}  // namespace halvora::jpeg
