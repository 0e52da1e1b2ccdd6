#include "picture/jpeg_picture.h"

#include <cinttypes>
#include <cstring>
#include <new>
#include <utility>

#include <halvora/jpeg.h>
#include "platform/trace.h"

namespace halvora::picture {

namespace {

// Line offsets inside the codec and the header's biSizeImage are 32-bit.
constexpr uint64_t kLargestBlock = 0x7FFFFFFF;
// A page's pixels and the codec's work memory for them (the coefficients of a
// progressive page) stay within this, which holds every page of up to 100
// megapixels: a stream cannot make the viewer take more, whatever size its
// header declares.
constexpr uint64_t kPageMemoryBudget = uint64_t{1536} << 20;
constexpr uint64_t kMebibyte = uint64_t{1} << 20;

struct OutputFormat {
  int32_t jpegColor;
  int32_t dibColor;
  int32_t dibChannels;
};

// What to ask of the codec, by the parameter read's component count and
// colour. Data that an Adobe marker with transform 0 marks as unconverted (RGB
// in three components, CMYK in four) is asked for as such: asking for YCbCr
// would convert it although it never was YCbCr, and show false colours.
OutputFormat ChooseOutputFormat(int32_t channels, int32_t reportedColor) {
  switch (channels) {
    case 1:
      return {JpegColorGrey, JpegColorBgr, 3};
    case 3:
      return {reportedColor == JpegColorRgb ? JpegColorRgb : JpegColorYCbCr, JpegColorBgr, 3};
    case 4:
      return {reportedColor == JpegColorRgba ? JpegColorRgba : JpegColorYCbCrAlpha, JpegColorRgba, 4};
    default:
      return {JpegColorOther, JpegColorOther, channels};
  }
}

uint64_t PaddedLineBytes(int32_t width, int32_t channels) {
  return (static_cast<uint64_t>(width) * static_cast<uint64_t>(channels) + 3) & ~uint64_t{3};
}

// The block the adapter allocates, as the parameter read sized it. The
// header and the premultiplication describe this block and nothing else:
// an image read can report another size (a later frame header), which the
// block was never made for.
struct DibBlock {
  int32_t width = 0;
  int32_t height = 0;
  int32_t channels = 0;
  int32_t dibColor = 0;
  uint32_t bytes = 0;
  std::unique_ptr<uint8_t[]> pixels;
};

BitmapInfoHeader MakeHeader(const DibBlock& block) {
  BitmapInfoHeader header{};
  header.biSize = 40;
  header.biWidth = block.width;
  header.biHeight = block.height;
  header.biPlanes = 1;
  header.biBitCount = static_cast<uint16_t>(8 * block.channels);
  header.biCompression = 0;
  header.biSizeImage = block.bytes;
  return header;
}

unsigned long long AddressOf(const void* p) { return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)); }

// Sizes the block for the parameter read's image and allocates it; false,
// before anything is allocated, when the block does not fit the limits with
// at least a mebibyte of the budget left for the codec's work memory.
bool AllocateBlock(const JPEG_PROPERTIES& properties, const OutputFormat& format, DibBlock& block) {
  const uint64_t stride = PaddedLineBytes(properties.jpeg_width, format.dibChannels);
  const uint64_t total = stride * static_cast<uint64_t>(properties.jpeg_height);
  if (properties.jpeg_width <= 0 || properties.jpeg_height <= 0 || format.dibChannels <= 0 || total > kLargestBlock ||
      total + kMebibyte > kPageMemoryBudget) {
    return false;
  }
  // Zeroed, so that a decode that ends early never shows old heap contents.
  block.pixels.reset(new (std::nothrow) uint8_t[total]());
  if (block.pixels == nullptr) return false;
  block.width = properties.jpeg_width;
  block.height = properties.jpeg_height;
  block.channels = format.dibChannels;
  block.dibColor = format.dibColor;
  block.bytes = static_cast<uint32_t>(total);
  return true;
}

// The two reads on one record; the record is released by the caller.
bool DecodeWithRecord(JPEG_PROPERTIES& properties, const uint8_t* stream, uint32_t size, DibBlock& block) {
  properties.jpeg_buffer = const_cast<unsigned char*>(stream);
  properties.jpeg_buffer_size = static_cast<int32_t>(size);
  if (JpegRead(&properties, BufferReadParams) != 0) {
    platform::Trace("Cannot read JPEG file header from memory: %llX\n", AddressOf(stream));
    return false;
  }
  const OutputFormat format = ChooseOutputFormat(properties.jpeg_channels, properties.jpeg_color);
  if (!AllocateBlock(properties, format, block)) {
    platform::Trace("Cannot allocate memory for image\n");
    return false;
  }
  properties.jpeg_color = format.jpegColor;
  properties.dib_color = format.dibColor;
  properties.dib_channels = format.dibChannels;
  properties.dib_width = block.width;
  properties.dib_height = -block.height;
  properties.dib_pad_bytes = static_cast<int32_t>(PaddedLineBytes(block.width, block.channels) -
                                                  static_cast<uint64_t>(block.width) * block.channels);
  properties.dib_pixels = block.pixels.get();
  properties.state.max_memory_mb = static_cast<int32_t>((kPageMemoryBudget - block.bytes) / kMebibyte);
  if (JpegRead(&properties, BufferReadImage) != 0) {
    platform::Trace("Cannot read image data from memory %llX\n", AddressOf(stream));
    return false;
  }
  return true;
}

}  // namespace

std::unique_ptr<uint8_t[]> DecodeJpegToDib(const uint8_t* stream, uint32_t size, BitmapInfoHeader* header) {
  if (stream == nullptr || size == 0 || size > kLargestBlock) return nullptr;
  JPEG_PROPERTIES properties;
  std::memset(&properties, 0, sizeof properties);
  DibBlock block;
  bool decoded = false;
  if (JpegInit(&properties) != 0) {
    platform::Trace("Cannot initialize the JPEG codec\n");
  } else {
    decoded = DecodeWithRecord(properties, stream, size, block);
  }
  if (JpegFree(&properties) != 0 && decoded) platform::Trace("Cannot free the JPEG codec");
  if (!decoded) {
    platform::Trace("Error reading JPEG from memory\n");
    return nullptr;
  }
  if (block.dibColor == JpegColorRgba) PremultiplyAlphaSwap(block.pixels.get(), block.width, block.height);
  if (header != nullptr) *header = MakeHeader(block);
  return std::move(block.pixels);
}

void PremultiplyAlphaSwap(uint8_t* block, int32_t width, int32_t height) {
  const size_t stride = static_cast<size_t>(PaddedLineBytes(width, 4));
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* pixel = block + static_cast<size_t>(y) * stride;
    for (int32_t x = 0; x < width; ++x, pixel += 4) {
      const unsigned alpha = pixel[3];
      const uint8_t red = pixel[0];
      pixel[0] = static_cast<uint8_t>((pixel[2] * alpha + 1) >> 8);
      pixel[1] = static_cast<uint8_t>((pixel[1] * alpha + 1) >> 8);
      pixel[2] = static_cast<uint8_t>((red * alpha + 1) >> 8);
    }
  }
}

}  // namespace halvora::picture
