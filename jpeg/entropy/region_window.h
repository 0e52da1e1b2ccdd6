// Which units of a grid a region of interest needs.
#pragma once

#include "jpeg/kernels/kernel_types.h"

namespace halvora::jpeg {

// Columns [first_column, end_column) and rows [first_row, end_row) of a grid.
struct UnitWindow {
  int first_column;
  int end_column;
  int first_row;
  int end_row;
};

// The units of unitWidth x unitHeight output pixels that meet `region`
// (pixels of the output image; all 0 means the whole image), in a grid of
// perRow x rows units, widened by `margin` units on every side for output
// that needs its neighbours, and kept inside the grid.
UnitWindow WindowOf(const PixelRect& region, int unitWidth, int unitHeight, int perRow, int rows, int margin);

}  // namespace halvora::jpeg
