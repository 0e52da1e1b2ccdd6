#include "tools/codec_decode.h"

#include <algorithm>
#include <cstring>

#include <halvora/jpeg.h>

namespace halvora::tools {

namespace {

struct ColorChoice {
  int32_t color;
  int32_t channels;
};

ColorChoice ChooseColor(OutputColor color, const JPEG_PROPERTIES& params) {
  switch (color) {
    case OutputColor::kBgr:
      return {JpegColorBgr, 3};
    case OutputColor::kRgb:
      return {JpegColorRgb, 3};
    case OutputColor::kRgba:
      return {JpegColorRgba, 4};
    case OutputColor::kGrey:
      return {JpegColorGrey, 1};
    case OutputColor::kYCbCr:
      return {JpegColorYCbCr, 3};
    case OutputColor::kGreyWherePossible:
      if (params.jpeg_color == JpegColorYCbCr) return {JpegColorGrey, 1};
      [[fallthrough]];
    case OutputColor::kGreyOfGreyStreams:
      if (params.jpeg_color == JpegColorGrey) return {JpegColorGrey, 1};
      break;
    case OutputColor::kDefault:
      break;
  }
  if (params.jpeg_channels == 4) return {JpegColorRgba, 4};
  return {JpegColorBgr, 3};
}

int ReadParameters(JPEG_PROPERTIES& record, const DecodeRequest& request) {
  if (request.buffer != nullptr) {
    record.jpeg_buffer = request.buffer->data();
    record.jpeg_buffer_size = static_cast<int32_t>(request.buffer->size());
    return JpegRead(&record, BufferReadParams);
  }
  record.jpeg_file_name = request.file_name;
  return JpegRead(&record, FileReadParams);
}

// The image read of the request's scale, from memory or from the file.
int ImageReadType(const DecodeRequest& request) {
  const bool buffer = request.buffer != nullptr;
  switch (request.scale) {
    case 2:
      return buffer ? BufferReadHalf : FileReadHalf;
    case 4:
      return buffer ? BufferReadQuarter : FileReadQuarter;
    case 8:
      return buffer ? BufferReadEighth : FileReadEighth;
    default:
      return buffer ? BufferReadImage : FileReadImage;
  }
}

// The requested rectangle inside a width x height image; none is all of it.
PixelRegion RegionInside(const PixelRegion& region, int32_t width, int32_t height) {
  if (region.left == 0 && region.top == 0 && region.right == 0 && region.bottom == 0) {
    return PixelRegion{0, 0, width, height};
  }
  return PixelRegion{std::clamp(region.left, 0, width), std::clamp(region.top, 0, height),
                     std::clamp(region.right, 0, width), std::clamp(region.bottom, 0, height)};
}

// The budget left for the codec once the image is held, in MiB; 0 when the
// image alone takes it all (the codec needs some).
int32_t WorkMemoryLeft(const DecodeRequest& request, int64_t imageBytes) {
  const int64_t left = (int64_t{request.max_memory_mb} << 20) - imageBytes;
  return left < (int64_t{1} << 20) ? 0 : static_cast<int32_t>(left >> 20);
}

int ReadPixels(JPEG_PROPERTIES& record, const DecodeRequest& request, DibImage& image) {
  const ColorChoice choice = ChooseColor(request.color, record);
  const int32_t scale = request.scale > 1 ? request.scale : 1;
  const PixelRegion region = RegionInside(request.region, (record.jpeg_width + scale - 1) / scale,
                                          (record.jpeg_height + scale - 1) / scale);
  const int32_t width = region.right - region.left;
  const int32_t height = region.bottom - region.top;
  const int32_t workMemory = WorkMemoryLeft(request, DibBytes(width, height, choice.channels, request.bottom_up));
  if (workMemory == 0) {
    image = DibImage{width, height, choice.channels, choice.color, 0, request.bottom_up, {}};
    return JpegErrMemory;
  }
  if (!ShapeDib(image, width, height, choice.channels, choice.color, request.bottom_up)) {
    return JpegErrInvalidProperties;
  }
  record.state.max_memory_mb = workMemory;
  const int32_t rowBytes = image.width * image.channels;

  record.dib_pixels = image.pixels.data();
  record.dib_width = image.width;
  record.dib_height = request.bottom_up ? -image.height : image.height;
  record.dib_pad_bytes = image.line_bytes - rowBytes;
  record.dib_channels = image.channels;
  record.dib_color = image.color;
  record.state.dct_method = request.dct_method;
  record.state.smooth_upsampling = request.smooth ? 1 : 0;
  const bool regionRead = request.region.right != 0 || request.region.bottom != 0 || request.region.left != 0 ||
                          request.region.top != 0;
  if (regionRead) record.state.region = JpegRegion{region.left, region.top, region.right, region.bottom};
  // An interrupted read answers 1 after each unit and goes on with the next call.
  int result = JpegInterruptSuccess;
  while (result == JpegInterruptSuccess) {
    record.state.interrupt_request = request.interrupt ? 1 : 0;
    result = JpegRead(&record, ImageReadType(request));
  }
  return result == JpegRoiSuccess ? JpegSuccess : result;
}

}  // namespace

int64_t DibBytes(int32_t width, int32_t height, int32_t channels, bool bottomUp) {
  const int64_t rowBytes = int64_t{width} * channels;
  return (bottomUp ? (rowBytes + 3) / 4 * 4 : rowBytes) * height;
}

int DecodeJpeg(const DecodeRequest& request, DibImage& image) {
  JPEG_PROPERTIES record;
  std::memset(&record, 0, sizeof record);
  int result = JpegInit(&record);
  if (result == JpegSuccess) result = ReadParameters(record, request);
  if (result == JpegSuccess) result = ReadPixels(record, request, image);
  const int freed = JpegFree(&record);
  return result != JpegSuccess ? result : freed;
}

}  // namespace halvora::tools
