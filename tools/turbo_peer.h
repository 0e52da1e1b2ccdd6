// libjpeg-turbo as the benchmarks' peer (only when its development package
// was present at build time; the codec itself never uses it).
#pragma once

#include <cstdint>
#include <vector>

#include "tools/dib_image.h"

namespace halvora::tools {

class TurboPeer {
 public:
  TurboPeer();
  ~TurboPeer();
  TurboPeer(const TurboPeer&) = delete;
  TurboPeer& operator=(const TurboPeer&) = delete;

  // False when the tool was built without libjpeg-turbo.
  bool Available() const;

  // Decodes `stream` with the integer inverse DCT into `image`, which gives
  // the size, the row order and padding, and the pixels: BGR for three
  // channels, the four components for four. Chroma is replicated (fast
  // upsampling) unless `interpolate`. A `scale` of 2, 4 or 8 reads at half,
  // quarter or eighth size. False when the peer fails or the stream's size
  // at that scale is not the image's.
  bool Decode(const std::vector<uint8_t>& stream, DibImage& image, bool interpolate, int scale);

  // Encodes the BGR `image` (its rows as it holds them) at `quality` with
  // chroma sampled 2 x 2 (`subsampled`) or not at all, with the integer
  // DCT and the example Huffman tables, into `stream`, which must hold the
  // most the image can take; its size becomes the stream's. False when the
  // peer fails.
  bool Encode(const DibImage& image, int quality, bool subsampled, std::vector<uint8_t>& stream);
  // The most bytes Encode can write for a `width` x `height` image.
  size_t EncodeBound(int width, int height) const;

 private:
  void* handle_ = nullptr;
  void* compressor_ = nullptr;
};

}  // namespace halvora::tools
