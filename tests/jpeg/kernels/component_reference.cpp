#include "tests/jpeg/kernels/component_reference.h"

#include <halvora/jpeg.h>
#include "tests/support/ycbcr_model.h"

namespace halvora::jpeg::testing {

uint8_t ModelComponentSample(const CoefficientBlock* blocks, const ComponentOutputFormat& format, int component,
                             int blockSize, bool simpleSampling, int x, int y) {
  int first = 0;
  for (int c = 0; c < component; ++c) first += format.horizontal[c] * format.vertical[c];
  const int h = format.horizontal[component], v = format.vertical[component];
  int sampleX = x / (format.hmax / h), sampleY = y / (format.vmax / v), size = blockSize;
  if (simpleSampling && blockSize < 8 && h * v == 1) {
    sampleX = x, sampleY = y, size = 2 * blockSize;  // transformed one size larger, copied 1:1
  }
  const CoefficientBlock& block = blocks[first + (sampleY / size) * h + sampleX / size];
  return static_cast<uint8_t>(block.values[(sampleY % size) * 8 + sampleX % size] & 0xFF);
}

void ModelComponentPixel(const CoefficientBlock* blocks, const ComponentOutputFormat& format, int channels,
                         int blockSize, bool simpleSampling, int x, int y, uint8_t* pixel) {
  const int count = format.componentCount;
  auto sample = [&](int c) { return ModelComponentSample(blocks, format, c, blockSize, simpleSampling, x, y); };
  auto put = [&](int byte, int value) {
    if (byte < channels) pixel[byte] = static_cast<uint8_t>(value);
  };
  const bool colourDib = format.dibColor == JpegColorRgb || format.dibColor == JpegColorBgr ||
                         format.dibColor == JpegColorRgba;
  if (format.dibColor == JpegColorYCbCr && channels == 2) {
    put(0, sample(0));
    if (x % 2 == 0 && count > 1) put(1, sample(1));
    if (x % 2 == 1 && count > 2) put(1, sample(2));
  } else if (format.jpegColor == JpegColorGrey) {
    put(0, sample(0));
    if (colourDib) put(1, sample(0)), put(2, sample(0));
    if (format.dibColor == JpegColorRgba) put(3, 255);
  } else if (format.dibColor == JpegColorYCbCr) {
    for (int c = 0; c < count && c < 3; ++c) put(c, sample(c));
  } else {
    const bool reversed = format.dibColor == JpegColorBgr && format.jpegColor == JpegColorRgb;
    for (int c = 0; c < count && c < 4; ++c) put(reversed && c <= 2 ? 2 - c : c, sample(c));
    if (format.dibColor == JpegColorRgba && count <= 3 &&
        (format.jpegColor == JpegColorRgb || format.jpegColor == JpegColorYCbCr)) {
      put(3, 255);
    }
  }
  if (format.convert == 1) ModelConvertPixel(pixel, channels, format.dibColor, format.jpegColor, false);
}

void ModelConvertPixel(uint8_t* pixel, int channels, int dibColor, int jpegColor, bool opaqueYcc) {
  if (channels < 3) return;
  if (dibColor != JpegColorRgb && dibColor != JpegColorBgr && dibColor != JpegColorRgba) return;
  const auto [r, g, b] = test_support::ModelYccToRgb(pixel[0], pixel[1], pixel[2], test_support::GreenForm::kGeneric);
  if (channels == 3) {
    if (dibColor == JpegColorBgr) {
      pixel[0] = b, pixel[1] = g, pixel[2] = r;
    } else {
      pixel[0] = r, pixel[1] = g, pixel[2] = b;
    }
  } else if (jpegColor == JpegColorYCbCrAlpha) {
    pixel[0] = static_cast<uint8_t>(255 - r), pixel[1] = static_cast<uint8_t>(255 - g);
    pixel[2] = static_cast<uint8_t>(255 - b);
  } else if (jpegColor == JpegColorYCbCr) {
    pixel[0] = r, pixel[1] = g, pixel[2] = b;
    if (opaqueYcc) pixel[3] = 255;
  }
}

}  // namespace halvora::jpeg::testing
