#include "platform/headless/software_stretch.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

#include "platform/headless/headless_device_context.h"

namespace halvora::platform::headless {

namespace {

constexpr uint32_t kCompressionRgb = 0;
constexpr uint32_t kCompressionBitfields = 3;
constexpr size_t kHeaderSize = 40;

template <typename T>
T ReadField(const uint8_t* info, size_t offset) {
  T value;
  std::memcpy(&value, info + offset, sizeof value);
  return value;
}

struct PixelFormat {
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  const uint8_t* colours = nullptr;  // colour table, or the three masks
  uint32_t masks[3] = {};            // red, green, blue
};

PixelFormat ReadPixelFormat(const DibImage& image) {
  const auto* info = static_cast<const uint8_t*>(image.bitmapInfo);
  PixelFormat format;
  format.bitCount = ReadField<uint16_t>(info, 14);
  format.compression = ReadField<uint32_t>(info, 16);
  format.colours = info + kHeaderSize;
  if (format.compression == kCompressionBitfields) {
    for (size_t i = 0; i < 3; ++i) format.masks[i] = ReadField<uint32_t>(format.colours, 4 * i);
  } else if (format.bitCount == 16) {
    format.masks[0] = 0x7C00;
    format.masks[1] = 0x03E0;
    format.masks[2] = 0x001F;
  } else {
    format.masks[0] = 0xFF0000;
    format.masks[1] = 0x00FF00;
    format.masks[2] = 0x0000FF;
  }
  return format;
}

bool IsSupported(const PixelFormat& format) {
  switch (format.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
      return format.compression == kCompressionRgb;
    case 16:
    case 32:
      return format.compression == kCompressionRgb || format.compression == kCompressionBitfields;
    default:
      return false;
  }
}

// The masked channel scaled to 0..255.
uint8_t Channel(uint32_t value, uint32_t mask) {
  if (mask == 0) return 0;
  const uint32_t shifted = (value & mask) >> std::countr_zero(mask);
  const uint32_t maximum = mask >> std::countr_zero(mask);
  return static_cast<uint8_t>(uint64_t{shifted} * 255 / maximum);
}

Rgb PaletteColour(const PixelFormat& format, uint32_t index) {
  const uint8_t* entry = format.colours + 4 * index;  // blue, green, red, reserved
  return Rgb{entry[2], entry[1], entry[0]};
}

Rgb FetchPixel(const PixelFormat& format, const uint8_t* row, uint32_t x) {
  switch (format.bitCount) {
    case 1:
    case 4:
    case 8: {
      const uint32_t bit = x * format.bitCount;
      const uint32_t shift = 8 - format.bitCount - bit % 8;
      return PaletteColour(format, (row[bit / 8] >> shift) & ((1u << format.bitCount) - 1));
    }
    case 24:
      return Rgb{row[3 * x + 2], row[3 * x + 1], row[3 * x]};
    default: {
      const uint8_t* p = row + x * format.bitCount / 8;
      uint32_t value = p[0] | p[1] << 8;
      if (format.bitCount == 32) value |= static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
      return Rgb{Channel(value, format.masks[0]), Channel(value, format.masks[1]),
                 Channel(value, format.masks[2])};
    }
  }
}

}  // namespace

void StretchDibNearest(const DibImage& image, RgbSurface& surface, int32_t width, int32_t height) {
  const PixelFormat format = ReadPixelFormat(image);
  if (!IsSupported(format) || image.width <= 0 || image.height == 0 || width <= 0 || height <= 0) {
    return;
  }
  const uint64_t sourceWidth = static_cast<uint64_t>(image.width);
  const uint64_t sourceHeight = static_cast<uint64_t>(std::llabs(image.height));
  const uint64_t stride = (sourceWidth * format.bitCount + 31) / 32 * 4;
  const auto* bits = static_cast<const uint8_t*>(image.bits);
  const int32_t right = std::min(width, surface.Width());
  const int32_t bottom = std::min(height, surface.Height());
  for (int32_t y = 0; y < bottom; ++y) {
    const uint64_t fromTop = static_cast<uint64_t>(y) * sourceHeight / static_cast<uint64_t>(height);
    // A positive height stores the bottom line first.
    const uint64_t line = image.height > 0 ? sourceHeight - 1 - fromTop : fromTop;
    const uint8_t* row = bits + line * stride;
    for (int32_t x = 0; x < right; ++x) {
      const uint64_t column = static_cast<uint64_t>(x) * sourceWidth / static_cast<uint64_t>(width);
      surface.Set(x, y, FetchPixel(format, row, static_cast<uint32_t>(column)));
    }
  }
}

void SoftwareStretchDrawer::Draw(DeviceContext& target, int32_t width, int32_t height,
                                 const DibImage& image) {
  auto* context = dynamic_cast<HeadlessDeviceContext*>(&target);
  if (context == nullptr) return;
  StretchDibNearest(image, context->Surface(), width, height);
  context->CountDrawing();
}

}  // namespace halvora::platform::headless
