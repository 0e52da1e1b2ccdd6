#include "jpeg/entropy/progressive_blocks.h"

#include <bit>

#include "jpeg/entropy/coded_symbol.h"

namespace halvora::jpeg {

namespace {

constexpr int kZeroRunLength = 0xF0;  // sixteen zero coefficients

// A marker inside the block ends it without error.
int BlockResult(int result) { return result == kMarkerReached ? JpegSuccess : result; }

// Every routine keeps the bits in locals while it walks its block and
// hands them back to the stream when it returns.
template <typename Walk>
int WithWindow(JpegStream& stream, Walk walk) {
  BitWindow window(stream);
  const int result = walk(window);
  window.Store(stream);
  return BlockResult(result);
}

int16_t Wrap16(int32_t value) { return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(value))); }

// A value shifted left by `al` bits, kept 16 bits wide as the coefficients are.
int16_t ShiftedValue(int32_t value, int al) { return Wrap16(static_cast<int32_t>(static_cast<uint32_t>(value) << al)); }

// The length of an end-of-band run coded with `r` extra bits, counting the
// current block. 0, kMarkerReached or a negative code.
HALVORA_SYMBOL_STEP int ReadEndOfBandRun(BitWindow& window, JpegStream& stream, int r, int32_t& run) {
  const CodedSymbol extra = TakeBits(window, stream, r);
  if (extra.result != 0) return extra.result;
  run = (int32_t{1} << r) + extra.value;
  return JpegSuccess;
}

// Zig-zag positions as bits of a mask, bit k for position k.
uint64_t PositionsFrom(int k) { return k >= 64 ? 0 : ~uint64_t{0} << k; }

// The mask bit of the coefficient a store at zig-zag position k (up to 78)
// reaches: past 63 the padded zig-zag table lands on position 63.
uint64_t PositionBit(int k) { return uint64_t{1} << (k < 64 ? k : 63); }

// Stores `value` at zig-zag position k and keeps the mask of nonzero
// positions right: a value shifted out of 16 bits can be zero.
void StoreCoefficient(CoefficientBlock& block, uint64_t& nonzero, int k, int16_t value) {
  block.values[kZigZagToNatural[k]] = value;
  const uint64_t bit = PositionBit(k);
  nonzero = value != 0 ? nonzero | bit : nonzero & ~bit;
}

// Sharpens the coefficient at each of `positions` (all nonzero) by one
// correction bit, in order.
HALVORA_SYMBOL_STEP int SharpenCoefficients(BitWindow& window, JpegStream& stream, CoefficientBlock& block,
                                            uint64_t positions, int al) {
  const int32_t p1 = int32_t{1} << al;
  for (; positions != 0; positions &= positions - 1) {
    const CodedSymbol bit = TakeBits(window, stream, 1);
    if (bit.result != 0) return bit.result;
    int16_t& coefficient = block.values[kZigZagToNatural[std::countr_zero(positions)]];
    const int32_t step = bit.value != 0 && (coefficient & p1) == 0 ? (coefficient >= 0 ? p1 : -p1) : 0;
    coefficient = Wrap16(coefficient + step);
  }
  return JpegSuccess;
}

// Where the walk from position k stops: at the zero coefficient that
// follows `zeros` other zero coefficients of the band, or at se + 1 when the
// band holds too few.
int PositionAfterZeros(uint64_t nonzero, uint64_t band, int k, int zeros, int se) {
  uint64_t zeroPositions = ~nonzero & band & PositionsFrom(k);
  for (; zeros > 0 && zeroPositions != 0; --zeros) zeroPositions &= zeroPositions - 1;
  return zeroPositions != 0 ? std::countr_zero(zeroPositions) : se + 1;
}

// A coefficient placed by the band's walk lies behind the walk's position,
// so the band's nonzero positions as the walk starts stay right for the rest
// of it.
int AcRefineBand(BitWindow& window, JpegStream& stream, CoefficientBlock& block, uint64_t& nonzeroPositions,
                 const HuffmanDecodeTable& ac, int ss, int se, int al) {
  const uint64_t band = BandPositions(ss, se);
  const uint64_t nonzero = nonzeroPositions & band;
  int k = ss;
  if (stream.end_of_band_run == 0) {
    for (; k <= se; ++k) {
      const CodedSymbol coded = DecodeSymbol(window, stream, ac);
      if (coded.result != 0) return coded.result;
      const int r = coded.symbol >> 4;
      const bool placesNew = (coded.symbol & 15) != 0;
      int16_t value = 0;
      if (placesNew) {
        // A new coefficient has magnitude 2^al, whatever size the code names.
        const CodedSymbol sign = TakeBits(window, stream, 1);
        if (sign.result != 0) return sign.result;
        value = ShiftedValue(sign.value != 0 ? 1 : -1, al);
      } else if (coded.symbol != kZeroRunLength) {
        const int result = ReadEndOfBandRun(window, stream, r, stream.end_of_band_run);
        if (result != 0) return result;
        break;
      }
      // Every nonzero coefficient passed on the way to the r+1-th zero
      // takes a correction bit.
      const int stop = PositionAfterZeros(nonzero, band, k, r, se);
      const int result =
          SharpenCoefficients(window, stream, block, nonzero & PositionsFrom(k) & ~PositionsFrom(stop), al);
      if (result != 0) return result;
      k = stop;
      // k <= 64 here; the padded zig-zag table keeps the store inside the block.
      if (placesNew) StoreCoefficient(block, nonzeroPositions, k, value);
    }
  }
  if (stream.end_of_band_run > 0) {
    const int result = SharpenCoefficients(window, stream, block, nonzero & PositionsFrom(k), al);
    if (result != 0) return result;
    stream.end_of_band_run -= 1;
  }
  return JpegSuccess;
}

int AcFirstBand(BitWindow& window, JpegStream& stream, CoefficientBlock& block, uint64_t& nonzero,
                const HuffmanDecodeTable& ac, int ss, int se, int al) {
  for (int k = ss; k <= se;) {
    const CodedSymbol coded = DecodeCoded(window, stream, ac);
    if (coded.result != 0) return coded.result;
    const int r = coded.symbol >> 4;
    if ((coded.symbol & 15) != 0) {
      // k + r <= se + 15 stays inside the padded zig-zag table.
      k += r;
      StoreCoefficient(block, nonzero, k, ShiftedValue(coded.value, al));
      k += 1;
    } else if (coded.symbol == kZeroRunLength) {
      k += 16;
    } else {
      const int result = ReadEndOfBandRun(window, stream, r, stream.end_of_band_run);
      if (result != 0) return result;
      stream.end_of_band_run -= 1;  // this block is the first of the run
      return JpegSuccess;
    }
  }
  return JpegSuccess;
}

}  // namespace

int DecodeDcFirst(JpegStream& stream, const HuffmanDecodeTable& dc, CoefficientBlock& block, int16_t& prediction,
                  int al) {
  return WithWindow(stream, [&](BitWindow& window) -> int {
    const CodedSymbol coded = DecodeCoded(window, stream, dc);
    if (coded.result != 0) return coded.result;
    prediction = Wrap16(prediction + coded.value);
    block.values[0] = ShiftedValue(prediction, al);
    return JpegSuccess;
  });
}

int DecodeDcRefine(JpegStream& stream, CoefficientBlock& block, int al) {
  return WithWindow(stream, [&](BitWindow& window) -> int {
    const CodedSymbol bit = TakeBits(window, stream, 1);
    if (bit.result != 0) return bit.result;
    if (bit.value != 0) block.values[0] = Wrap16(block.values[0] | (int32_t{1} << al));
    return JpegSuccess;
  });
}

int DecodeAcFirst(JpegStream& stream, CoefficientBlock& block, uint64_t& nonzero, const HuffmanDecodeTable& ac, int ss,
                  int se, int al) {
  if (stream.end_of_band_run > 0) {
    stream.end_of_band_run -= 1;
    return JpegSuccess;
  }
  return WithWindow(stream,
                    [&](BitWindow& window) { return AcFirstBand(window, stream, block, nonzero, ac, ss, se, al); });
}

int DecodeAcRefine(JpegStream& stream, CoefficientBlock& block, uint64_t& nonzero, const HuffmanDecodeTable& ac, int ss,
                   int se, int al) {
  return WithWindow(stream,
                    [&](BitWindow& window) { return AcRefineBand(window, stream, block, nonzero, ac, ss, se, al); });
}

}  // namespace halvora::jpeg
