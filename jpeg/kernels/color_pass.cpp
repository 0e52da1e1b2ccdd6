#include "jpeg/kernels/color_pass.h"

#include <algorithm>

#include <halvora/jpeg.h>

namespace halvora::jpeg {

namespace {

bool IsConvertedDib(int dibColor) {
  return dibColor == JpegColorRgb || dibColor == JpegColorBgr || dibColor == JpegColorRgba;
}

// What becomes of a pixel whose bytes 0..2 hold Y, Cb, Cr, chosen once per
// pass rather than per pixel.
enum class PixelForm {
  kUnchanged,
  kRgb,           // three bytes
  kBgr,           // three bytes
  kComplemented,  // ~R ~G ~B, byte 3 keeps the fourth component (YCCK)
  kRgbWide,       // R G B, byte 3 kept
  kRgbOpaque,     // R G B, 255 in byte 3
};

// Pixels narrower than three bytes hold no Y Cb Cr triple to convert; wider
// ones are only touched when some rule applies to them. `opaqueYcc` sets
// byte 3 of a wide YCbCr pixel to 255 (the final pass does, the per-MCU step
// leaves it).
PixelForm FormOf(int channels, int dibColor, int jpegColor, bool opaqueYcc) {
  if (channels < 3 || !IsConvertedDib(dibColor)) return PixelForm::kUnchanged;
  if (channels == 3) return dibColor == JpegColorBgr ? PixelForm::kBgr : PixelForm::kRgb;
  if (jpegColor == JpegColorYCbCrAlpha) return PixelForm::kComplemented;
  if (jpegColor == JpegColorYCbCr) return opaqueYcc ? PixelForm::kRgbOpaque : PixelForm::kRgbWide;
  return PixelForm::kUnchanged;
}

// Pixels are converted a chunk at a time: the arithmetic runs over whole
// chunks held in local arrays, a loop of fixed length over memory nothing
// else can touch, which the compiler turns into packed arithmetic; only the
// pixels asked for are stored.
constexpr int kChunk = 8;

struct ChunkColours {
  uint8_t red[kChunk];
  uint8_t green[kChunk];
  uint8_t blue[kChunk];
};

// The generic offsets, (359 Cr - 45813) >> 8, (34806 - 88 Cb - 183 Cr) >> 8
// and (454 Cb - 57937) >> 8, with every intermediate inside 16 bits: 359 = 256 + 103, 454 = 256 + 198 and -183 = 73 -
// 256 move whole multiples of 256 out of the floored quotients and leave numerators in 0..65535. The compiler then
// works on eight pixels a packed register instead of four. Equal to the formulas for every Cb and Cr (tested).
int16_t RedOffset(uint8_t cr) {
  return static_cast<int16_t>(cr - 179 + (static_cast<uint16_t>(103 * cr + 11) >> 8));
}
int16_t GreenOffset(uint8_t cb, uint8_t cr) {
  return static_cast<int16_t>((static_cast<uint16_t>(34806 + 73 * cr - 88 * cb) >> 8) - cr);
}
int16_t BlueOffset(uint8_t cb) {
  return static_cast<int16_t>(cb - 227 + (static_cast<uint16_t>(198 * cb + 175) >> 8));
}

uint8_t ClampSum(uint8_t y, int16_t offset) {
  const int16_t value = static_cast<int16_t>(y + offset);
  return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

// kChunk samples of each of y, cb and cr.
void ConvertChunk(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, ChunkColours& out) {
  for (int i = 0; i < kChunk; ++i) {
    out.red[i] = ClampSum(y[i], RedOffset(cr[i]));
    out.green[i] = ClampSum(y[i], GreenOffset(cb[i], cr[i]));
    out.blue[i] = ClampSum(y[i], BlueOffset(cb[i]));
  }
}

template <PixelForm form>
void StoreChunk(const ChunkColours& rgb, int count, uint8_t* pixels, int channels) {
  // The three-byte forms get a constant stride the compiler can use.
  const ptrdiff_t stride = form == PixelForm::kRgb || form == PixelForm::kBgr ? 3 : channels;
  for (int i = 0; i < count; ++i) {
    uint8_t* pixel = pixels + i * stride;
    if constexpr (form == PixelForm::kBgr) {
      pixel[0] = rgb.blue[i], pixel[1] = rgb.green[i], pixel[2] = rgb.red[i];
    } else if constexpr (form == PixelForm::kComplemented) {
      pixel[0] = static_cast<uint8_t>(255 - rgb.red[i]);
      pixel[1] = static_cast<uint8_t>(255 - rgb.green[i]);
      pixel[2] = static_cast<uint8_t>(255 - rgb.blue[i]);
    } else {
      pixel[0] = rgb.red[i], pixel[1] = rgb.green[i], pixel[2] = rgb.blue[i];
      if constexpr (form == PixelForm::kRgbOpaque) pixel[3] = 255;
    }
  }
}

// The first `count` (at most kChunk) of kChunk samples of each of y, cb and
// cr into as many pixels.
void ConvertAndStore(PixelForm form, const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int count,
                     uint8_t* pixels, int channels) {
  ChunkColours rgb;
  ConvertChunk(y, cb, cr, rgb);
  switch (form) {
    case PixelForm::kRgb: return StoreChunk<PixelForm::kRgb>(rgb, count, pixels, channels);
    case PixelForm::kBgr: return StoreChunk<PixelForm::kBgr>(rgb, count, pixels, channels);
    case PixelForm::kComplemented: return StoreChunk<PixelForm::kComplemented>(rgb, count, pixels, channels);
    case PixelForm::kRgbWide: return StoreChunk<PixelForm::kRgbWide>(rgb, count, pixels, channels);
    case PixelForm::kRgbOpaque: return StoreChunk<PixelForm::kRgbOpaque>(rgb, count, pixels, channels);
    case PixelForm::kUnchanged: return;
  }
}

// Samples of a chunk the rows cannot fill: the count asked for, then zeros.
struct ChunkSamples {
  uint8_t y[kChunk] = {};
  uint8_t cb[kChunk] = {};
  uint8_t cr[kChunk] = {};
};

// Pixels from separate Y, Cb and Cr rows; whole chunks are read in place.
void ConvertRow(PixelForm form, const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int count,
                uint8_t* pixels, int channels) {
  int start = 0;
  for (; start + kChunk <= count; start += kChunk) {
    ConvertAndStore(form, y + start, cb + start, cr + start, kChunk, pixels + ptrdiff_t{start} * channels, channels);
  }
  if (start == count) return;
  ChunkSamples tail;
  const int n = count - start;
  std::copy(y + start, y + count, tail.y);
  std::copy(cb + start, cb + count, tail.cb);
  std::copy(cr + start, cr + count, tail.cr);
  ConvertAndStore(form, tail.y, tail.cb, tail.cr, n, pixels + ptrdiff_t{start} * channels, channels);
}

// Converts `count` adjacent pixels where they lie: their bytes 0..2 are
// taken apart a chunk at a time, then converted back into place.
void ConvertPixelsInPlace(PixelForm form, uint8_t* pixels, int64_t count, int channels) {
  ChunkSamples in;
  for (int64_t start = 0; start < count; start += kChunk) {
    const int n = static_cast<int>(std::min<int64_t>(kChunk, count - start));
    uint8_t* first = pixels + static_cast<ptrdiff_t>(start) * channels;
    for (int i = 0; i < n; ++i) {
      const uint8_t* pixel = first + ptrdiff_t{i} * channels;
      in.y[i] = pixel[0], in.cb[i] = pixel[1], in.cr[i] = pixel[2];
    }
    ConvertAndStore(form, in.y, in.cb, in.cr, n, first, channels);
  }
}

}  // namespace

bool ConvertsMcuPixels(int channels, int dibColor, int jpegColor) {
  return FormOf(channels, dibColor, jpegColor, false) != PixelForm::kUnchanged;
}

void ConvertMcuRow(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int count, uint8_t* pixels,
                   int channels, int dibColor, int jpegColor) {
  ConvertRow(FormOf(channels, dibColor, jpegColor, false), y, cb, cr, count, pixels, channels);
}

void ConvertMcuPixels(const McuTarget& target, int dibColor, int jpegColor) {
  const PixelForm form = FormOf(target.channels, dibColor, jpegColor, false);
  if (form == PixelForm::kUnchanged) return;
  for (int row = target.visible.top; row < target.visible.bottom; ++row) {
    uint8_t* first =
        target.dib + target.topLeft + row * target.lineBytes + ptrdiff_t{target.visible.left} * target.channels;
    ConvertPixelsInPlace(form, first, target.visible.right - target.visible.left, target.channels);
  }
}

void ConvertDibInPlace(const DibView& dib, const PixelRect& region, int dibColor, int jpegColor) {
  const PixelForm form = FormOf(dib.channels, dibColor, jpegColor, true);
  if (form == PixelForm::kUnchanged) return;
  // The region's extent is the caller's; the DIB's is what may be touched.
  const int64_t dibRows = dib.height < 0 ? -int64_t{dib.height} : int64_t{dib.height};
  const int64_t regionRows = int64_t{region.bottom} - region.top;
  const int64_t regionColumns = int64_t{region.right} - region.left;
  const int64_t rows = std::clamp<int64_t>(regionRows == 0 ? dibRows : regionRows, 0, dibRows);
  const int64_t columns = std::clamp<int64_t>(regionColumns == 0 ? dib.width : regionColumns, 0,
                                              std::max<int64_t>(dib.width, 0));
  for (int64_t row = rows - 1; row >= 0; --row) {
    ConvertPixelsInPlace(form, dib.topLine + static_cast<ptrdiff_t>(row) * dib.lineBytes, columns, dib.channels);
  }
}

}  // namespace halvora::jpeg
