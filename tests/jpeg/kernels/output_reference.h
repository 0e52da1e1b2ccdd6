// Per-pixel models of the MCU output routines, written from their formulas:
// for one pixel of an MCU they give the bytes the routine must write there.
#pragma once

#include <cstdint>

#include "jpeg/kernels/kernel_types.h"

namespace halvora::jpeg::testing {

enum class PixelKind { kRgb, kBgr, kRgba, kYcck, kCopy3, kCopyAlpha, kCopy4, kPackedYcc, kGrey };

struct McuShape {
  int blocksAcross;  // luminance blocks per MCU row: 1 or 2
  int blocksDown;    // luminance block rows: 1 or 2
};

int BytesPerPixel(PixelKind kind);

// Writes BytesPerPixel(kind) bytes of pixel (row, column) of the MCU.
void ModelPixel(const McuBuffer& mcu, McuShape shape, PixelKind kind, int row, int column, uint8_t* pixel);

}  // namespace halvora::jpeg::testing
