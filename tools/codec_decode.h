// Decoding a JPEG stream into a DIB through the codec's entries, as the
// viewer's picture adapter does: a parameter read, then an image read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace halvora::tools {

// Colour the caller asks for; kDefault keeps BGR (four channels, dib_color 5,
// for four-component streams) and the data colour the parameter read reports.
enum class OutputColor { kDefault, kBgr, kRgb, kRgba, kGrey, kYCbCr };

// A region of interest in pixels of the output image, right and bottom
// exclusive; all 0 reads the whole image.
struct PixelRegion {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

struct DecodeRequest {
  const std::vector<uint8_t>* buffer = nullptr;  // the stream in memory, or
  const char* file_name = nullptr;               // read through the codec's file input
  OutputColor color = OutputColor::kDefault;
  int dct_method = 1;
  int processor_kind = -1;  // -1: the kind JpegInit chose
  bool bottom_up = true;    // rows as a Windows bitmap holds them, padded to 4 bytes
  int scale = 1;            // 1, 2, 4 or 8: the full, half, quarter or eighth read
  bool smooth = false;      // interpolating chroma upsampling
  bool interrupt = false;   // decode MCU by MCU: interrupt_request before every call
  PixelRegion region;       // the output image is this rectangle of the image
};

struct DibImage {
  int32_t width = 0;
  int32_t height = 0;
  int32_t channels = 0;
  int32_t color = 0;  // dib_color
  int32_t line_bytes = 0;
  bool bottom_up = true;
  std::vector<uint8_t> pixels;
};

// 0 (also for a completed region), or the codec's negative result.
int DecodeJpeg(const DecodeRequest& request, DibImage& image);

}  // namespace halvora::tools
