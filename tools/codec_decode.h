// Decoding a JPEG stream into a DIB through the codec's entries, as the
// viewer's picture adapter does: a parameter read, then an image read.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/dib_image.h"

namespace halvora::tools {

// Colour the caller asks for; kDefault keeps BGR (four channels, dib_color 5,
// for four-component streams) and the data colour the parameter read reports;
// kGreyOfGreyStreams is kDefault but one grey channel for a grey stream, and
// kGreyWherePossible also for a YCbCr stream (the codec reads no other
// stream as grey).
enum class OutputColor { kDefault, kGreyOfGreyStreams, kGreyWherePossible, kBgr, kRgb, kRgba, kGrey, kYCbCr };

// A region of interest in pixels of the output image, right and bottom
// exclusive; all 0 reads the whole image.
struct PixelRegion {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// hjpeg's memory budget unless --max-memory names one: enough for a
// 100-megapixel image in four channels decoded progressively.
constexpr int kDefaultMaxMemoryMb = 4096;

struct DecodeRequest {
  const std::vector<uint8_t>* buffer = nullptr;  // the stream in memory, or
  const char* file_name = nullptr;               // read through the codec's file input
  OutputColor color = OutputColor::kDefault;
  int dct_method = 1;
  bool bottom_up = true;    // rows as a Windows bitmap holds them, padded to 4 bytes
  int scale = 1;            // 1, 2, 4 or 8: the full, half, quarter or eighth read
  bool smooth = false;      // interpolating chroma upsampling
  bool interrupt = false;   // decode MCU by MCU: interrupt_request before every call
  PixelRegion region;       // the output image is this rectangle of the image
  // The most memory the decode may take, the image and the codec's work
  // memory together, in MiB.
  int max_memory_mb = kDefaultMaxMemoryMb;
};

// 0 (also for a completed region), or the codec's negative result. An
// image that already has the decoded size is written over in place. An
// image too large for the request's memory budget gives -5 with its size
// set and no pixels.
int DecodeJpeg(const DecodeRequest& request, DibImage& image);

// Bytes of a DIB of that shape, in the row layout ShapeDib gives it.
int64_t DibBytes(int32_t width, int32_t height, int32_t channels, bool bottomUp);

}  // namespace halvora::tools
