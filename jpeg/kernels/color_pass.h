// The colour conversion that runs after samples are already in the DIB: over
// the visible pixels of one MCU written component by component, and over the
// whole DIB (or region) once an image coded in single-component scans is in.
// Both use the generic green form (see ycc_to_rgb.h), so a mid-grey pixel
// becomes 128, 128, 128 here where the fused MCU routines give green 129.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jpeg/kernels/kernel_types.h"

namespace halvora::jpeg {

// The caller's DIB as the codec addresses it: `topLine` is the line of the
// top image (or region) row and pixel (x, y) lies at
// topLine + y * lineBytes + x * channels. Only the magnitude of `height`
// counts; the sign of `lineBytes` says whether the DIB is bottom-up.
struct DibView {
  uint8_t* topLine;
  ptrdiff_t lineBytes;
  int32_t width;
  int32_t height;
  int32_t channels;
};

// Converts the visible pixels of an MCU whose bytes 0..2 hold Y, Cb, Cr.
// Three-byte pixels become R G B (or B G R for a BGR DIB); wider pixels become
// ~R ~G ~B for YCCK data (byte 3 keeps the fourth component) or R G B for
// YCbCr data. Only RGB, BGR and RGBA DIBs are converted, and only pixels of
// three bytes or more: bytes 1 and 2 of a narrower pixel belong to its
// neighbour.
void ConvertMcuPixels(const McuTarget& target, int dibColor, int jpegColor);

// True when ConvertMcuPixels changes pixels of this width and these colours.
bool ConvertsMcuPixels(int channels, int dibColor, int jpegColor);

// The per-component output's shortcut past the write-then-convert: writes
// into bytes 0..2 of `count` pixels, `channels` bytes apart, what
// ConvertMcuPixels makes of pixels whose bytes 0..2 hold y[i], cb[i], cr[i].
// Other bytes are left alone; nothing is written when ConvertsMcuPixels is false.
void ConvertMcuRow(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int count, uint8_t* pixels,
                   int channels, int dibColor, int jpegColor);

// The form of ConvertMcuRow, which the kernel table also holds in packed forms.
using ConvertRowKernel = void (*)(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int count,
                                  uint8_t* pixels, int channels, int dibColor, int jpegColor);

// The final pass over an image coded in single-component scans. The DIB
// holds the region (or the whole image when the region is empty): the pass
// converts its first bottom - top rows (all rows when top equals bottom) and
// the first right - left pixels of each (the whole width when left equals
// right), both clamped to the DIB, as ConvertMcuPixels does, except that
// YCbCr data in pixels of four bytes or more also gets 255 in byte 3.
void ConvertDibInPlace(const DibView& dib, const PixelRect& region, int dibColor, int jpegColor);

}  // namespace halvora::jpeg
