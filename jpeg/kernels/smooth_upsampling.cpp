#include "jpeg/kernels/smooth_upsampling.h"

#include <algorithm>
#include <iterator>

namespace halvora::jpeg {

namespace {

void CopyColumn(ChromaNeighbourhood& chroma, int from, int to) {
  for (int row = -1; row <= chroma.size; ++row) chroma.ring[row + 1][to + 1] = chroma.ring[row + 1][from + 1];
}

void CopyRow(ChromaNeighbourhood& chroma, int from, int to) {
  std::copy(std::begin(chroma.ring[from + 1]), std::end(chroma.ring[from + 1]), chroma.ring[to + 1]);
}

}  // namespace

ChromaNeighbourhood GatherChromaNeighbourhood(const CoefficientBlock& block, int size, const ChromaEdges& edges) {
  ChromaNeighbourhood chroma{};
  chroma.size = std::clamp(size, 1, 8);
  const int n = chroma.size;
  for (int row = 0; row < n; ++row) {
    for (int column = 0; column < n; ++column) {
      chroma.ring[row + 1][column + 1] = static_cast<uint8_t>(block.values[8 * row + column]);
    }
    if (edges.left != nullptr) chroma.ring[row + 1][0] = edges.left[row];
    if (edges.right != nullptr) chroma.ring[row + 1][n + 1] = edges.right[row];
  }
  if (edges.above != nullptr) std::copy(edges.above, edges.above + n + 2, chroma.ring[0]);
  if (edges.below != nullptr) std::copy(edges.below, edges.below + n + 2, chroma.ring[n + 1]);

  // A partial MCU: what lies beyond the image repeats its last column and row.
  const int validColumns = std::clamp(edges.validColumns, 1, n);
  const int validRows = std::clamp(edges.validRows, 1, n);
  for (int column = validColumns; column < n; ++column) CopyColumn(chroma, validColumns - 1, column);
  for (int row = validRows; row < n; ++row) CopyRow(chroma, validRows - 1, row);

  // At an image edge a sample is its own neighbour; the columns go first so
  // that a missing row takes its corners from the block's own edge column.
  if (edges.left == nullptr) CopyColumn(chroma, 0, -1);
  if (edges.right == nullptr) CopyColumn(chroma, n - 1, n);
  if (edges.above == nullptr) CopyRow(chroma, 0, -1);
  if (edges.below == nullptr) CopyRow(chroma, n - 1, n);
  return chroma;
}

void UpsampleSmooth2x1(const ChromaNeighbourhood& chroma, McuPlane& plane) {
  for (int row = 0; row < chroma.size; ++row) {
    uint8_t* out = plane.samples + row * kMcuPlaneSide;
    for (int k = 0; k < chroma.size; ++k) {
      const int centre = 3 * chroma.At(row, k);
      out[2 * k] = static_cast<uint8_t>((centre + chroma.At(row, k - 1) + 1) >> 2);
      out[2 * k + 1] = static_cast<uint8_t>((centre + chroma.At(row, k + 1) + 2) >> 2);
    }
  }
}

void UpsampleSmooth2x2(const ChromaNeighbourhood& chroma, McuPlane& plane) {
  for (int i = 0; i < chroma.size; ++i) {
    for (int a = 0; a < 2; ++a) {
      const int dy = a == 0 ? -1 : 1;
      uint8_t* out = plane.samples + (2 * i + a) * kMcuPlaneSide;
      for (int k = 0; k < chroma.size; ++k) {
        for (int b = 0; b < 2; ++b) {
          const int dx = b == 0 ? -1 : 1;
          const int sum = 9 * chroma.At(i, k) + 3 * chroma.At(i, k + dx) + 3 * chroma.At(i + dy, k) +
                          chroma.At(i + dy, k + dx) + (b == 0 ? 8 : 7);
          out[2 * k + b] = static_cast<uint8_t>(sum >> 4);
        }
      }
    }
  }
}

}  // namespace halvora::jpeg
