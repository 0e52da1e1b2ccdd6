// Decodes the input from memory with read options the input's last bytes
// choose: every image read type, DIB colour and line order, a region,
// interrupts, interpolated chroma, raw planes and both transforms.
#include <halvora/jpeg.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "tests/fuzz/fuzz_input.h"

namespace {

using halvora::fuzz::FuzzInput;

// Images are capped so that each input decodes quickly.
constexpr int64_t kMaxPixels = 1 << 20;
constexpr int kMaxInterruptedCalls = 1 << 16;

struct DibColour {
  int color;
  int channels;
};
constexpr DibColour kColours[] = {{JpegColorBgr, 3}, {JpegColorRgb, 3},   {JpegColorRgba, 4},
                                  {JpegColorGrey, 1}, {JpegColorYCbCr, 3}, {JpegColorYCbCr, 2},
                                  {JpegColorOther, 4}};
constexpr int kImageReads[] = {BufferReadImage, BufferReadHalf, BufferReadQuarter, BufferReadEighth,
                               BufferReadImageData};

int ScaleOf(int ioType) {
  switch (ioType) {
    case BufferReadHalf:
      return 2;
    case BufferReadQuarter:
      return 4;
    case BufferReadEighth:
      return 8;
    default:
      return 1;
  }
}

struct Options {
  int io_type;
  DibColour colour;
  bool bottom_up;
  bool interrupt;
  bool region;
  bool smooth;
  bool raw_planes;
  int dct_method;
  int jpeg_color;  // 0: as the parameter read reports it
};

Options ChooseOptions(FuzzInput& input) {
  Options options{};
  options.io_type = kImageReads[input.Choose(std::size(kImageReads))];
  options.colour = kColours[input.Choose(std::size(kColours))];
  const uint8_t flags = input.Byte();
  options.bottom_up = (flags & 1) != 0;
  options.interrupt = (flags & 2) != 0;
  options.region = (flags & 4) != 0;
  options.smooth = (flags & 8) != 0;
  options.raw_planes = (flags & 16) != 0 && !options.smooth;
  options.dct_method = (flags & 32) != 0 ? 0 : 1;
  options.jpeg_color = (flags & 64) != 0 ? JpegColorOther : 0;
  return options;
}

// Raw planes of the largest size any frame of the parameter read's size can
// ask for: four components of factor 4 at 8 samples a block, whole MCUs.
std::vector<int16_t> RawPlanes(int width, int height, std::array<int16_t*, 5>& list) {
  const size_t across = static_cast<size_t>((width + 31) / 32) * 32;
  const size_t down = static_cast<size_t>((height + 31) / 32) * 32;
  std::vector<int16_t> planes(4 * across * down);
  for (size_t k = 0; k < 4; ++k) list[k + 1] = planes.data() + k * across * down;
  return planes;
}

void Decode(JPEG_PROPERTIES& record, const Options& options, const uint8_t* stream, size_t size) {
  record.jpeg_buffer = stream;
  record.jpeg_buffer_size = static_cast<int32_t>(size);
  record.state.dct_method = options.dct_method;
  if (JpegRead(&record, BufferReadParams) != JpegSuccess) return;
  if (int64_t{record.jpeg_width} * record.jpeg_height > kMaxPixels) return;
  const int scale = ScaleOf(options.io_type);
  int width = (record.jpeg_width + scale - 1) / scale;
  int height = (record.jpeg_height + scale - 1) / scale;
  if (options.region) {
    record.state.region = {width / 3, height / 3, std::max(width / 3 + 1, 2 * width / 3),
                           std::max(height / 3 + 1, 2 * height / 3)};
    width = record.state.region.right - record.state.region.left;
    height = record.state.region.bottom - record.state.region.top;
  }
  const int channels = options.colour.channels;
  const int pad = 3;
  std::vector<uint8_t> dib(static_cast<size_t>(width * channels + pad) * static_cast<size_t>(height));
  record.dib_pixels = dib.data();
  record.dib_width = width;
  record.dib_height = options.bottom_up ? -height : height;
  record.dib_pad_bytes = pad;
  record.dib_channels = channels;
  record.dib_color = options.colour.color;
  if (options.jpeg_color != 0) record.jpeg_color = options.jpeg_color;
  record.state.smooth_upsampling = options.smooth ? 1 : 0;
  std::array<int16_t*, 5> list{};
  std::vector<int16_t> planes;
  if (options.raw_planes) {
    planes = RawPlanes(record.jpeg_width, record.jpeg_height, list);
    record.state.raw_plane_list = list.data();
  }
  for (int calls = 0; calls < kMaxInterruptedCalls; ++calls) {
    record.state.interrupt_request = options.interrupt ? 1 : 0;
    if (JpegRead(&record, options.io_type) != JpegInterruptSuccess) break;
  }
  halvora::fuzz::TouchEveryByte(dib.data(), dib.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const Options options = ChooseOptions(input);
  // The stream gets a buffer of its own, so that a read past its end shows.
  const std::vector<uint8_t> stream(input.Data(), input.Data() + input.Size());
  if (stream.empty()) return 0;
  JPEG_PROPERTIES record;
  std::memset(&record, 0, sizeof record);
  if (JpegInit(&record) == JpegSuccess) Decode(record, options, stream.data(), stream.size());
  JpegFree(&record);
  return 0;
}
