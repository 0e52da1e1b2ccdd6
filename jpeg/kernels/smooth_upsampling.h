// Interpolating chroma upsampling for frames whose luminance is sampled 2x1
// or 2x2 and whose chroma is 1x1: each chroma sample is blended with its
// neighbours instead of replicated. The filters work on one chroma block and
// a ring of neighbouring samples around it; the neighbours come from the
// blocks of the adjacent MCUs, which the decoder keeps in its context planes.
#pragma once

#include <cstdint>

#include "jpeg/kernels/component_output.h"
#include "jpeg/kernels/kernel_types.h"

namespace halvora::jpeg {

// The block's size x size chroma samples with one ring of neighbours:
// sample (row, column) for row and column in -1..size is ring[row + 1][column + 1].
struct ChromaNeighbourhood {
  int32_t size;  // 8 at full size; 4 or 2 for the half and quarter reads
  uint8_t ring[10][10];

  uint8_t At(int row, int column) const { return ring[row + 1][column + 1]; }
};

// Where the neighbours of one chroma block come from. A null side is an edge
// of the image, where a sample is its own neighbour.
struct ChromaEdges {
  const uint8_t* left;   // `size` samples, top to bottom: the last column of the block to the left
  const uint8_t* right;  // `size` samples: the first column of the block to the right
  // size + 2 samples: the bottom row of the block above (top row of the block
  // below), with its diagonal neighbours first and last.
  const uint8_t* above;
  const uint8_t* below;
  // The block's columns and rows that lie inside the image, 1..size: in a
  // partial MCU at the right or bottom edge the last of them stands in for the
  // ones beyond it.
  int32_t validColumns;
  int32_t validRows;
};

// Gathers the neighbourhood of a transformed chroma block (size x size
// samples in its top-left corner, rows of 8 entries; size is 8, 4 or 2).
// The block's columns beyond validColumns and rows beyond validRows are
// replaced by the last valid ones before the image edges are applied.
ChromaNeighbourhood GatherChromaNeighbourhood(const CoefficientBlock& block, int size, const ChromaEdges& edges);

// Horizontal 2:1: output pixels 2k and 2k + 1 of a row take
// (3 s[k] + s[k-1] + 1) >> 2 and (3 s[k] + s[k+1] + 2) >> 2. Fills
// 2 size x size samples of `plane`.
void UpsampleSmooth2x1(const ChromaNeighbourhood& chroma, McuPlane& plane);

// 2:1 both ways: output pixel (2i + a, 2k + b) takes
// (9 s[i][k] + 3 s[i][k +- 1] + 3 s[i +- 1][k] + s[i +- 1][k +- 1] + r) >> 4,
// the steps towards the output pixel, r = 8 in the left output column and 7
// in the right one. Fills 2 size x 2 size samples of `plane`.
void UpsampleSmooth2x2(const ChromaNeighbourhood& chroma, McuPlane& plane);

#if defined(HALVORA_JPEG_SSE2)
// The same filters on 128-bit registers (twins of the two above), eight
// chroma samples of a row at once; a neighbourhood of a reduced read, under 8
// samples a side, goes to the plain filter.
void UpsampleSmooth2x1Sse2(const ChromaNeighbourhood& chroma, McuPlane& plane);
void UpsampleSmooth2x2Sse2(const ChromaNeighbourhood& chroma, McuPlane& plane);
#endif

}  // namespace halvora::jpeg
