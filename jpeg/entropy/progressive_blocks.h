// Huffman decoding of the blocks of progressive scans: the first pass and the
// refinement of the DC term and of a band of AC terms, one bit plane at a time.
#pragma once

#include <cstdint>

#include "jpeg/entropy/huffman_table.h"
#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

// Each routine answers 0 or a negative code. A marker met before the block's
// bits are complete ends the block early with 0; what it decoded so far stays.
// Corrupt runs and indexes never leave the block.

// Adds the coded difference to the 16-bit prediction and stores the
// prediction shifted left by `al` as coefficient 0. The caller clears the
// block first.
int DecodeDcFirst(JpegStream& stream, const HuffmanDecodeTable& dc, CoefficientBlock& block, int16_t& prediction,
                  int al);

// One more bit of coefficient 0: bit `al` is set when the coded bit is 1.
int DecodeDcRefine(JpegStream& stream, CoefficientBlock& block, int al);

// The AC routines keep `nonzero`, the block's mask of zig-zag positions
// (bit k for position k, 1 to 63) whose coefficient is nonzero, up to date
// with every coefficient they store.

// Zig-zag positions ss..se as a mask.
inline uint64_t BandPositions(int ss, int se) {
  const uint64_t fromSs = ~uint64_t{0} << ss;
  return se >= 63 ? fromSs : fromSs & ~(~uint64_t{0} << (se + 1));
}

// A block inside an end-of-band run whose band (`nonzeroInBand`: its
// nonzero positions in the band) holds no coefficient to correct: the block
// changes in no way, and only the run is counted down. True when it was
// such a block; the scans take it without a call to the routines below,
// which would do the same.
inline bool PassedInEndOfBandRun(JpegStream& stream, uint64_t nonzeroInBand) {
  if (stream.end_of_band_run <= 0 || nonzeroInBand != 0) return false;
  stream.end_of_band_run -= 1;
  return true;
}

// The first pass over zig-zag positions ss..se, each value shifted left by
// `al`. A block inside an end-of-band run is left unchanged and shortens the run.
int DecodeAcFirst(JpegStream& stream, CoefficientBlock& block, uint64_t& nonzero, const HuffmanDecodeTable& ac, int ss,
                  int se, int al);

// One more bit plane (bit `al`) of positions ss..se: new coefficients of
// magnitude 2^al, and one correction bit for each coefficient already nonzero.
int DecodeAcRefine(JpegStream& stream, CoefficientBlock& block, uint64_t& nonzero, const HuffmanDecodeTable& ac, int ss,
                   int se, int al);

}  // namespace halvora::jpeg
