#include "jpeg/kernels/color_pass.h"

#include <algorithm>

#include "jpeg/jpeg.h"
#include "jpeg/kernels/ycc_to_rgb.h"

namespace halvora::jpeg {

namespace {

bool IsConvertedDib(int dibColor) {
  return dibColor == JpegColorRgb || dibColor == JpegColorBgr || dibColor == JpegColorRgba;
}

// One pixel whose bytes 0..2 hold Y, Cb, Cr. `opaqueYcc` sets byte 3 of a
// wide YCbCr pixel to 255 (the final pass does, the per-MCU step leaves it).
void ConvertPixel(uint8_t* pixel, int channels, int dibColor, int jpegColor, bool opaqueYcc) {
  const Rgb rgb = ApplyChroma(pixel[0], GenericChromaOffsets(pixel[1], pixel[2]));
  if (channels == 3) {
    const bool bgr = dibColor == JpegColorBgr;
    pixel[0] = bgr ? rgb.blue : rgb.red;
    pixel[1] = rgb.green;
    pixel[2] = bgr ? rgb.red : rgb.blue;
  } else if (jpegColor == JpegColorYCbCrAlpha) {
    pixel[0] = static_cast<uint8_t>(255 - rgb.red);
    pixel[1] = static_cast<uint8_t>(255 - rgb.green);
    pixel[2] = static_cast<uint8_t>(255 - rgb.blue);
  } else if (jpegColor == JpegColorYCbCr) {
    pixel[0] = rgb.red;
    pixel[1] = rgb.green;
    pixel[2] = rgb.blue;
    if (opaqueYcc) pixel[3] = 255;
  }
}

// Pixels narrower than three bytes hold no Y Cb Cr triple to convert; wider
// ones are only touched when some rule applies to them.
bool PixelsAreConverted(int channels, int dibColor) { return channels >= 3 && IsConvertedDib(dibColor); }

}  // namespace

void ConvertMcuPixels(const McuTarget& target, int dibColor, int jpegColor) {
  if (!PixelsAreConverted(target.channels, dibColor)) return;
  for (int row = target.visible.top; row < target.visible.bottom; ++row) {
    for (int column = target.visible.left; column < target.visible.right; ++column) {
      uint8_t* pixel = target.dib + target.topLeft + row * target.lineBytes + ptrdiff_t{column} * target.channels;
      ConvertPixel(pixel, target.channels, dibColor, jpegColor, false);
    }
  }
}

void ConvertDibInPlace(const DibView& dib, const PixelRect& region, int dibColor, int jpegColor) {
  if (!PixelsAreConverted(dib.channels, dibColor)) return;
  // The region's extent is the caller's; the DIB's is what may be touched.
  const int64_t dibRows = dib.height < 0 ? -int64_t{dib.height} : int64_t{dib.height};
  const int64_t regionRows = int64_t{region.bottom} - region.top;
  const int64_t regionColumns = int64_t{region.right} - region.left;
  const int64_t rows = std::clamp<int64_t>(regionRows == 0 ? dibRows : regionRows, 0, dibRows);
  const int64_t columns = std::clamp<int64_t>(regionColumns == 0 ? dib.width : regionColumns, 0,
                                              std::max<int64_t>(dib.width, 0));
  for (int64_t row = rows - 1; row >= 0; --row) {
    uint8_t* line = dib.topLine + static_cast<ptrdiff_t>(row) * dib.lineBytes;
    for (int64_t column = 0; column < columns; ++column) {
      ConvertPixel(line + static_cast<ptrdiff_t>(column) * dib.channels, dib.channels, dibColor, jpegColor, true);
    }
  }
}

}  // namespace halvora::jpeg
