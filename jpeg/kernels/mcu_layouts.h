// The one loop behind every fused MCU routine: it walks the chroma samples of
// an MCU, prepares each pair once and applies it to the 1, 2 or 4 luminance
// samples it covers, writing only pixels inside the visible rectangle.
// A layout says where the blocks lie in the MCU buffer; a pixel format says
// what one pixel's bytes are.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "jpeg/kernels/kernel_types.h"

namespace halvora::jpeg::mcu_layouts {

// Blocks in buffer order: luminance blocks in raster order, Cb, Cr, then (for
// four components) the fourth component's blocks laid out like the luminance.
template <int kWidthBlocks, int kHeightBlocks>
struct Layout {
  static constexpr int kWidth = 8 * kWidthBlocks;
  static constexpr int kHeight = 8 * kHeightBlocks;
  static constexpr int kLumaBlocks = kWidthBlocks * kHeightBlocks;
  static constexpr int kCbBlock = kLumaBlocks;
  static constexpr int kCrBlock = kLumaBlocks + 1;
  static constexpr int kFourthBlock = kLumaBlocks + 2;
  // One chroma block covers the whole MCU.
  static constexpr int kChromaColumnsPerSample = kWidthBlocks;
  static constexpr int kChromaRowsPerSample = kHeightBlocks;
};

using Layout444 = Layout<1, 1>;  // 8x8 pixels
using Layout422 = Layout<2, 1>;  // 16x8 pixels
using Layout420 = Layout<2, 2>;  // 16x16 pixels

inline uint8_t SampleAt(const McuBuffer& mcu, int block, int row, int column) {
  return static_cast<uint8_t>(mcu.blocks[block].values[8 * row + column]);
}

// Where a pixel's first component (luminance) and fourth component lie: both
// are laid out in blocks of the MCU's full resolution.
template <class L>
struct PixelSamples {
  static uint8_t Luma(const McuBuffer& mcu, int row, int column) {
    return SampleAt(mcu, (row / 8) * (L::kWidth / 8) + column / 8, row % 8, column % 8);
  }
  static uint8_t Fourth(const McuBuffer& mcu, int row, int column) {
    return SampleAt(mcu, L::kFourthBlock + (row / 8) * (L::kWidth / 8) + column / 8, row % 8, column % 8);
  }
};

// Format requirements:
//   using Chroma = ...; static Chroma Prepare(uint8_t cb, uint8_t cr);
//   static void Put(uint8_t* pixel, uint8_t y, const Chroma&, const McuBuffer&, int row, int column);
template <class L, class Format>
void WriteMcu(const McuBuffer& mcu, const McuTarget& target) {
  // The visible rectangle is clipped to the MCU again so that no block read
  // can leave the buffer whatever the caller passes.
  const int top = std::max(target.visible.top, 0);
  const int bottom = std::min(target.visible.bottom, L::kHeight);
  const int left = std::max(target.visible.left, 0);
  const int right = std::min(target.visible.right, L::kWidth);
  if (top >= bottom || left >= right) return;

  constexpr int kRows = L::kChromaRowsPerSample;
  constexpr int kColumns = L::kChromaColumnsPerSample;
  for (int chromaRow = top / kRows; chromaRow * kRows < bottom; ++chromaRow) {
    for (int chromaColumn = left / kColumns; chromaColumn * kColumns < right; ++chromaColumn) {
      const auto chroma = Format::Prepare(SampleAt(mcu, L::kCbBlock, chromaRow, chromaColumn),
                                          SampleAt(mcu, L::kCrBlock, chromaRow, chromaColumn));
      const int rowEnd = std::min((chromaRow + 1) * kRows, bottom);
      const int columnEnd = std::min((chromaColumn + 1) * kColumns, right);
      for (int row = std::max(chromaRow * kRows, top); row < rowEnd; ++row) {
        for (int column = std::max(chromaColumn * kColumns, left); column < columnEnd; ++column) {
          const ptrdiff_t offset = target.topLeft + row * target.lineBytes + ptrdiff_t{column} * target.channels;
          Format::template Put<L>(target.dib + offset, PixelSamples<L>::Luma(mcu, row, column), chroma, mcu, row,
                                  column);
        }
      }
    }
  }
}

}  // namespace halvora::jpeg::mcu_layouts
