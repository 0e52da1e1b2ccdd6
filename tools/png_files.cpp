#include "tools/png_files.h"

#include <cstring>

#include <png.h>
#include <halvora/jpeg.h>

namespace halvora::tools {

namespace {

png_uint_32 PngFormatOf(const DibImage& image) {
  switch (image.channels) {
    case 1:
      return PNG_FORMAT_GRAY;
    case 4:
      return PNG_FORMAT_RGBA;
    default:
      return image.color == JpegColorBgr ? PNG_FORMAT_BGR : PNG_FORMAT_RGB;
  }
}

// libpng steps between rows by a signed stride: negative for a bottom-up
// DIB, whose first line in memory is the image's last row.
png_int_32 RowStride(const DibImage& image) { return image.bottom_up ? -image.line_bytes : image.line_bytes; }

png_image NewPngImage() {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  return png;
}

}  // namespace

bool WritePng(std::FILE* file, const DibImage& image, std::string& error) {
  png_image png = NewPngImage();
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PngFormatOf(image);
  // The call releases libpng's state whether or not it succeeds.
  if (png_image_write_to_stdio(&png, file, 0, image.pixels.data(), RowStride(image), nullptr) == 0) {
    error = png.message;
    return false;
  }
  return true;
}

bool ReadPng(std::FILE* file, DibImage& image, std::string& error) {
  png_image png = NewPngImage();
  if (png_image_begin_read_from_stdio(&png, file) == 0) {
    error = png.message;
    return false;
  }
  int32_t channels = 1;
  int32_t color = JpegColorGrey;
  png_uint_32 format = PNG_FORMAT_GRAY;
  if ((png.format & PNG_FORMAT_FLAG_ALPHA) != 0) {
    channels = 4;
    color = JpegColorRgba;
    format = PNG_FORMAT_RGBA;
  } else if ((png.format & PNG_FORMAT_FLAG_COLOR) != 0) {
    channels = 3;
    color = JpegColorBgr;
    format = PNG_FORMAT_BGR;
  }
  if (png.width > kMaxImageSide || png.height > kMaxImageSide ||
      !ShapeDib(image, static_cast<int32_t>(png.width), static_cast<int32_t>(png.height), channels, color, true)) {
    error = "image size out of range";
    png_image_free(&png);
    return false;
  }
  png.format = format;
  if (png_image_finish_read(&png, nullptr, image.pixels.data(), RowStride(image), nullptr) == 0) {
    error = png.message;
    return false;
  }
  return true;
}

}  // namespace halvora::tools
