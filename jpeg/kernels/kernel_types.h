// Data the codec's kernels work on, shared by the decoder stages and by every
// kernel variant (plain and packed).
#pragma once

#include <cstddef>
#include <cstdint>

namespace halvora::jpeg {

// 64 coefficients in natural (row-major) order; after the inverse DCT the
// same storage holds the block's samples, 0..255, one per entry.
struct CoefficientBlock {
  int16_t values[64];
};

// Largest sampling factor a frame component may have: an MCU is at most
// 32x32 pixels.
inline constexpr int kMaxSamplingFactor = 4;

// The blocks of one MCU, in scan order, each component's blocks in raster
// order. Ten blocks is the most an interleaved scan may carry.
inline constexpr int kMcuBufferBlocks = 10;
struct alignas(32) McuBuffer {
  CoefficientBlock blocks[kMcuBufferBlocks];
};

// A prepared quantisation table: 64 factors in natural order, then 16 zeros.
// Factors are 32-bit because the scaled (method 0) factors, value x s(u)s(v)
// x 256, exceed 16 bits for ordinary tables.
struct QuantTable {
  int32_t precision;   // Pq of the DQT segment: 0 for 8-bit, 1 for 16-bit values
  int32_t identifier;  // Tq
  alignas(32) int32_t entries[80];
};

// Zig-zag position -> natural index, followed by 16 extra 63s so that a run
// that overshoots the block while decoding corrupt data stays inside it.
extern const int32_t kZigZagToNatural[64 + 16];

// Writes the dequantised `coefficients` into `block` (which may be the same block).
using DequantizeKernel = void (*)(const CoefficientBlock& coefficients, const int32_t* entries,
                                  CoefficientBlock& block);
using InverseDctKernel = void (*)(CoefficientBlock& block);

// A rectangle of pixels; right and bottom are exclusive. Used for the region
// of interest (image pixels) and for the visible part of an MCU (pixels
// relative to the MCU's top-left corner).
struct PixelRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// Where one MCU lands in the caller's DIB. The MCU's top-left pixel is at
// `dib + topLeft`; it may lie outside the DIB when the MCU straddles the edge
// of the region of interest, so it is kept as an offset and only the pixels of
// `visible` are ever addressed: pixel (column c, row r) of the MCU is at
// dib + topLeft + r * lineBytes + c * channels.
struct McuTarget {
  uint8_t* dib;         // the DIB line that holds the top row of the image or region
  ptrdiff_t topLeft;    // byte offset of the MCU's top-left pixel from `dib`
  ptrdiff_t lineBytes;  // signed: negative for a bottom-up DIB
  int32_t channels;     // bytes per pixel
  PixelRect visible;    // the pixels of the MCU that are written
};

// Writes the samples of one transformed MCU into the visible pixels of its
// target. The fused routines, the grey copy and the packed YCbCr layout share
// this form; a routine never touches a byte outside the visible rectangle.
using McuOutputKernel = void (*)(const McuBuffer& mcu, const McuTarget& target);

// The transformed blocks of the MCUs around one MCU with interpolated chroma:
// mcus[dy + 1][dx + 1] is MCU (column + dx, row + dy), null outside the
// image (the rows above and below are looked at only when the chroma is
// halved vertically).
struct McuNeighbourhood {
  const CoefficientBlock* mcus[3][3];
};

// Writes the middle MCU of `around` with its chroma interpolated from the
// MCUs around it, in one step, or answers false (nothing written) and leaves
// it to the planes.
using SmoothMcuKernel = bool (*)(const McuNeighbourhood& around, const McuTarget& target);

}  // namespace halvora::jpeg
