#include "jpeg/progressive_blocks.h"

#include "jpeg/bit_reader.h"

namespace halvora::jpeg {

namespace {

constexpr int kZeroRunLength = 0xF0;  // sixteen zero coefficients

// A marker inside the block ends it without error.
int BlockResult(int result) { return result == kMarkerReached ? JpegSuccess : result; }

// The next `count` bits (0 to 16), with a fill when too few are held.
// 0, kMarkerReached or a negative code.
int ReadBits(JpegStream& stream, int count, uint32_t& bits) {
  bits = 0;
  if (count == 0) return JpegSuccess;
  if (stream.bit_count < count) {
    const int result = FillBits(stream, count);
    if (result != 0) return result;
  }
  bits = GetBits(stream, count);
  return JpegSuccess;
}

int16_t Wrap16(int32_t value) { return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(value))); }

// A value shifted left by `al` bits, kept 16 bits wide as the coefficients are.
int16_t ShiftedValue(int32_t value, int al) { return Wrap16(static_cast<int32_t>(static_cast<uint32_t>(value) << al)); }

// The length of an end-of-band run coded with `r` extra bits, counting the
// current block. 0, kMarkerReached or a negative code.
int ReadEndOfBandRun(JpegStream& stream, int r, int32_t& run) {
  uint32_t extra = 0;
  const int result = ReadBits(stream, r, extra);
  if (result != 0) return result;
  run = (int32_t{1} << r) + static_cast<int32_t>(extra);
  return JpegSuccess;
}

// Sharpens every nonzero coefficient from zig-zag position k onward (up to
// se) by one correction bit, until `zeros` zero coefficients have been passed;
// k ends at the zero coefficient where that count ran out, or past se.
// zeros < 0 walks the whole band.
int RefineNonzero(JpegStream& stream, CoefficientBlock& block, int& k, int se, int zeros, int al) {
  const int32_t p1 = int32_t{1} << al;
  for (; k <= se; ++k) {
    int16_t& coefficient = block.values[kZigZagToNatural[k]];
    if (coefficient == 0) {
      if (zeros >= 0 && --zeros < 0) return JpegSuccess;
      continue;
    }
    uint32_t bit = 0;
    const int result = ReadBits(stream, 1, bit);
    if (result != 0) return result;
    if (bit != 0 && (coefficient & p1) == 0) coefficient = Wrap16(coefficient >= 0 ? coefficient + p1 : coefficient - p1);
  }
  return JpegSuccess;
}

int AcRefineBand(JpegStream& stream, CoefficientBlock& block, const HuffmanDecodeTable& ac, int ss, int se, int al) {
  int k = ss;
  if (stream.end_of_band_run == 0) {
    for (; k <= se; ++k) {
      int runSize = 0;
      int result = DecodeHuffman(stream, ac, runSize);
      if (result != 0) return result;
      const int r = runSize >> 4;
      const int s = runSize & 15;
      int16_t value = 0;
      if (s != 0) {
        uint32_t sign = 0;
        result = ReadBits(stream, 1, sign);
        if (result != 0) return result;
        value = ShiftedValue(sign != 0 ? 1 : -1, al);
      } else if (runSize != kZeroRunLength) {
        result = ReadEndOfBandRun(stream, r, stream.end_of_band_run);
        if (result != 0) return result;
        break;
      }
      result = RefineNonzero(stream, block, k, se, r, al);
      if (result != 0) return result;
      // k <= 64 here; the padded zig-zag table keeps the store inside the block.
      if (s != 0) block.values[kZigZagToNatural[k]] = value;
    }
  }
  if (stream.end_of_band_run > 0) {
    const int result = RefineNonzero(stream, block, k, se, -1, al);
    if (result != 0) return result;
    stream.end_of_band_run -= 1;
  }
  return JpegSuccess;
}

}  // namespace

int DecodeDcFirst(JpegStream& stream, const HuffmanDecodeTable& dc, CoefficientBlock& block, int16_t& prediction,
                  int al) {
  int category = 0;
  int result = DecodeHuffman(stream, dc, category);
  if (result != 0) return BlockResult(result);
  category &= 15;
  uint32_t bits = 0;
  result = ReadBits(stream, category, bits);
  if (result != 0) return BlockResult(result);
  prediction = Wrap16(prediction + ExtendReceived(bits, category));
  block.values[0] = ShiftedValue(prediction, al);
  return JpegSuccess;
}

int DecodeDcRefine(JpegStream& stream, CoefficientBlock& block, int al) {
  uint32_t bit = 0;
  const int result = ReadBits(stream, 1, bit);
  if (result != 0) return BlockResult(result);
  if (bit != 0) block.values[0] = Wrap16(block.values[0] | (int32_t{1} << al));
  return JpegSuccess;
}

int DecodeAcFirst(JpegStream& stream, CoefficientBlock& block, const HuffmanDecodeTable& ac, int ss, int se, int al) {
  if (stream.end_of_band_run > 0) {
    stream.end_of_band_run -= 1;
    return JpegSuccess;
  }
  for (int k = ss; k <= se;) {
    int runSize = 0;
    int result = DecodeHuffman(stream, ac, runSize);
    if (result != 0) return BlockResult(result);
    const int r = runSize >> 4;
    const int s = runSize & 15;
    if (s != 0) {
      // k + r <= se + 15 stays inside the padded zig-zag table.
      k += r;
      uint32_t bits = 0;
      result = ReadBits(stream, s, bits);
      if (result != 0) return BlockResult(result);
      block.values[kZigZagToNatural[k]] = ShiftedValue(ExtendReceived(bits, s), al);
      k += 1;
    } else if (runSize == kZeroRunLength) {
      k += 16;
    } else {
      result = ReadEndOfBandRun(stream, r, stream.end_of_band_run);
      if (result != 0) return BlockResult(result);
      stream.end_of_band_run -= 1;  // this block is the first of the run
      return JpegSuccess;
    }
  }
  return JpegSuccess;
}

int DecodeAcRefine(JpegStream& stream, CoefficientBlock& block, const HuffmanDecodeTable& ac, int ss, int se,
                   int al) {
  return BlockResult(AcRefineBand(stream, block, ac, ss, se, al));
}

}  // namespace halvora::jpeg
