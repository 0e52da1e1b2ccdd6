#include "jpeg/kernels/component_output.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <type_traits>

#include <halvora/jpeg.h>
#include "jpeg/kernels/color_pass.h"

namespace halvora::jpeg {

namespace {

// ---- Channel rules ------------------------------------------------------------

// What a byte takes: a component index, or one of these.
constexpr int kOpaque = -1;  // 255
constexpr int kNone = -2;    // nothing: the byte is left alone

constexpr int kAnyColumn = -1;  // a route's parity: every column, else only columns of this parity

// One byte of every visible pixel and what goes into it.
struct Route {
  int byte;
  int source;  // a component index, or kOpaque
  int parity;
};

struct Routes {
  Route items[kMaxOutputComponents + 1];
  int count = 0;
  void Add(int byte, int source, int parity = kAnyColumn) { items[count++] = {byte, source, parity}; }
};

bool IsColourDib(int dibColor) {
  return dibColor == JpegColorRgb || dibColor == JpegColorBgr || dibColor == JpegColorRgba;
}

bool IsPackedYccDib(int dibColor, int channels) { return dibColor == JpegColorYCbCr && channels == 2; }

int ComponentsAvailable(const ComponentOutputFormat& format) {
  return std::clamp(format.componentCount, 0, kMaxOutputComponents);
}

// What byte `byte` (below 4) of a pixel takes by the channel rules.
int SourceOfByte(const ComponentOutputFormat& format, int byte) {
  if (format.jpegColor == JpegColorGrey) {
    if (!IsColourDib(format.dibColor)) return byte == 0 ? 0 : kNone;
    if (byte <= 2) return 0;
    return format.dibColor == JpegColorRgba ? kOpaque : kNone;
  }
  if (format.dibColor == JpegColorYCbCr) return byte <= 2 ? byte : kNone;
  if (format.dibColor == JpegColorBgr && format.jpegColor == JpegColorRgb && byte <= 2) return 2 - byte;
  // The fill step: an RGBA DIB is opaque where no fourth component exists.
  if (byte == 3 && format.dibColor == JpegColorRgba &&
      (format.jpegColor == JpegColorRgb || format.jpegColor == JpegColorYCbCr) && format.componentCount <= 3) {
    return kOpaque;
  }
  return byte;
}

Routes RoutesFor(const ComponentOutputFormat& format, int channels) {
  Routes routes;
  const int available = format.jpegColor == JpegColorGrey ? std::min(1, ComponentsAvailable(format))
                                                           : ComponentsAvailable(format);
  if (IsPackedYccDib(format.dibColor, channels)) {
    if (available > 0) routes.Add(0, 0);
    if (available > 1) routes.Add(1, 1, 0);
    if (available > 2) routes.Add(1, 2, 1);
    return routes;
  }
  for (int byte = 0; byte < std::min(channels, kMaxOutputComponents); ++byte) {
    const int source = SourceOfByte(format, byte);
    if (source == kOpaque || (source >= 0 && source < available)) routes.Add(byte, source);
  }
  return routes;
}

// ---- Planes -------------------------------------------------------------------

PixelRect ClampToMcu(const PixelRect& visible, int mcuWidth, int mcuHeight) {
  return {std::max(visible.left, 0), std::max(visible.top, 0), std::min(visible.right, mcuWidth),
          std::min(visible.bottom, mcuHeight)};
}

bool IsEmpty(const PixelRect& rect) { return rect.left >= rect.right || rect.top >= rect.bottom; }

bool IsBlockSize(int blockSize) { return blockSize == 1 || blockSize == 2 || blockSize == 4 || blockSize == 8; }

// Samples a side in a block of a component: its blocks were transformed one
// size larger under simple sampling when the component has only one.
int SamplesPerBlock(const ComponentOutputFormat& format, int component, int blockSize, bool simpleSampling) {
  const bool larger = simpleSampling && blockSize < 8 &&
                      format.horizontal[component] * format.vertical[component] == 1;
  return larger ? 2 * blockSize : blockSize;
}

// The first of the samples of row `sy` of a component of `across` blocks of
// `samples` (a power of two) a side; the row's other blocks follow at 64
// coefficients apart.
const int16_t* SampleLine(const CoefficientBlock* first, int across, int samples, int sy) {
  const int shift = std::countr_zero(static_cast<unsigned>(samples));
  return first[(sy >> shift) * across].values + 8 * (sy & (samples - 1));
}

// Row `sy` of a component, narrowed to bytes: across * samples of them.
void GatherSampleRow(const CoefficientBlock* first, int across, int samples, int sy, uint8_t* row) {
  const int16_t* line = SampleLine(first, across, samples, sy);
  for (int b = 0; b < across; ++b, line += 64, row += samples) {
    for (int s = 0; s < samples; ++s) row[s] = static_cast<uint8_t>(line[s]);
  }
}

// A whole plane row from full-size blocks, each sample repeated as many
// times as `Word` (uint8_t, uint16_t or uint32_t) has bytes: a word of
// equal bytes a sample, a block's eight words stored in one piece.
template <typename Word>
void SpreadBlockRow(const int16_t* line, int across, uint8_t* out) {
  constexpr Word kRepeat = static_cast<Word>(static_cast<Word>(~Word{0}) / 0xFF);  // 0x01 in every byte
  for (int b = 0; b < across; ++b, line += 64, out += sizeof(Word[8])) {
    Word words[8];
    for (int s = 0; s < 8; ++s) words[s] = static_cast<Word>((line[s] & 0xFF) * kRepeat);
    std::memcpy(out, words, sizeof words);
  }
}

// Whole rows of full-size blocks at the ratios of the usable formats; false
// (nothing written) for any other row.
bool SpreadWholeRow(const CoefficientBlock* first, int across, int samples, int sy, int planeWidth,
                    uint8_t* out) {
  if (samples != 8) return false;
  const int16_t* line = SampleLine(first, across, samples, sy);
  const int sampleColumns = 8 * across;
  if (planeWidth == sampleColumns) {
    SpreadBlockRow<uint8_t>(line, across, out);
  } else if (planeWidth == 2 * sampleColumns) {
    SpreadBlockRow<uint16_t>(line, across, out);
  } else if (planeWidth == 4 * sampleColumns) {
    SpreadBlockRow<uint32_t>(line, across, out);
  } else {
    return false;
  }
  return true;
}

// The visible part of the plane row above, copied into this one; the rows
// of MCUs 16 and 32 pixels wide in one piece of constant size.
void RepeatRowAbove(uint8_t* out, int left, int right) {
  const uint8_t* above = out - kMcuPlaneSide;
  if (left == 0 && right == 16) {
    std::memcpy(out, above, 16);
  } else if (left == 0 && right == 32) {
    std::memcpy(out, above, 32);
  } else {
    std::copy(above + left, above + right, out + left);
  }
}

// Pixels left..right of a plane row of planeWidth from a row of sampleColumns
// samples: pixel x takes sample x * sampleColumns / planeWidth. The whole
// ratios of the usable formats get loops with a constant shift.
void SpreadSampleRow(const uint8_t* row, int sampleColumns, int planeWidth, int left, int right, uint8_t* out) {
  if (planeWidth == sampleColumns) {
    std::copy(row + left, row + right, out + left);
  } else if (planeWidth == 2 * sampleColumns) {
    for (int x = left; x < right; ++x) out[x] = row[x >> 1];
  } else if (planeWidth == 4 * sampleColumns) {
    for (int x = left; x < right; ++x) out[x] = row[x >> 2];
  } else {
    for (int x = left; x < right; ++x) out[x] = row[x * sampleColumns / planeWidth];
  }
}

// The sample row of pixel row y: y * sampleRows / planeHeight, by a shift
// for the whole ratios of the usable formats.
struct RowScale {
  int sampleRows;
  int planeHeight;
  int shift;  // -1: neither 1, 2 nor 4 rows a sample

  RowScale(int rows, int height) : sampleRows(rows), planeHeight(height), shift(-1) {
    for (int s = 0; s <= 2; ++s) {
      if (height == rows << s) shift = s;
    }
  }
  int SampleRowOf(int y) const { return shift >= 0 ? y >> shift : y * sampleRows / planeHeight; }
};

// A component of `across` x `down` blocks of `samples` a side, spread over a
// plane of planeWidth x planeHeight pixels. Every ratio is whole for a usable
// format, so pixel (x, y) takes sample (x * (across * samples) / planeWidth,
// y * (down * samples) / planeHeight), which is plain replication (or a
// one-to-one copy); a row that repeats the sample row above is copied.
void ExpandBlocks(const CoefficientBlock* first, int across, int down, int samples, int planeWidth,
                  int planeHeight, const PixelRect& visible, McuPlane& plane) {
  // An empty or inverted rectangle has no pixel to take a sample.
  if (IsEmpty(visible)) return;
  const int sampleColumns = across * samples;
  const RowScale rows(down * samples, planeHeight);
  const bool wholeRows = visible.left == 0 && visible.right == planeWidth;
  uint8_t row[kMcuPlaneSide];  // at most 4 blocks of at most 8 samples
  int previous = -1;
  for (int y = visible.top; y < visible.bottom; ++y) {
    uint8_t* out = plane.samples + y * kMcuPlaneSide;
    const int sy = rows.SampleRowOf(y);
    if (sy == previous) {
      RepeatRowAbove(out, visible.left, visible.right);
      continue;
    }
    if (!wholeRows || !SpreadWholeRow(first, across, samples, sy, planeWidth, out)) {
      GatherSampleRow(first, across, samples, sy, row);
      SpreadSampleRow(row, sampleColumns, planeWidth, visible.left, visible.right, out);
    }
    previous = sy;
  }
}

int BlocksBefore(const ComponentOutputFormat& format, int component) {
  int offset = 0;
  for (int c = 0; c < component; ++c) offset += format.horizontal[c] * format.vertical[c];
  return offset;
}

// One route over one row of visible pixels: every pixel, or every other one
// for a route of one column parity.
void WriteRouteRow(const uint8_t* samples, const Route& route, uint8_t* line, int channels, int left, int right) {
  int column = left;
  int step = 1;
  if (route.parity != kAnyColumn) {
    column += (column % 2 != route.parity) ? 1 : 0;
    step = 2;
  }
  if (route.source == kOpaque) {
    for (; column < right; column += step) line[ptrdiff_t{column} * channels] = 255;
  } else {
    for (; column < right; column += step) line[ptrdiff_t{column} * channels] = samples[column];
  }
}

void WriteRoutes(const McuPlanes& planes, const Routes& routes, const McuTarget& target, const PixelRect& visible) {
  for (int r = 0; r < routes.count; ++r) {
    const Route& route = routes.items[r];
    for (int row = visible.top; row < visible.bottom; ++row) {
      uint8_t* line = target.dib + target.topLeft + row * target.lineBytes + route.byte;
      const uint8_t* samples =
          route.source == kOpaque ? nullptr : planes.component[route.source].samples + row * kMcuPlaneSide;
      WriteRouteRow(samples, route, line, target.channels, visible.left, visible.right);
    }
  }
}

// True when bytes 0, 1 and 2 of every pixel take components 0, 1 and 2: the
// pixels a conversion then reads are those three planes, so it can read them
// there instead of from the DIB.
bool CarriesYccInFirstBytes(const Routes& routes) {
  int carried = 0;
  for (int r = 0; r < routes.count; ++r) {
    const Route& route = routes.items[r];
    if (route.byte <= 2 && route.source == route.byte && route.parity == kAnyColumn) carried |= 1 << route.byte;
  }
  return carried == 7;
}

Routes RoutesBeyondYcc(const Routes& routes) {
  Routes beyond;
  for (int r = 0; r < routes.count; ++r) {
    if (routes.items[r].byte > 2) beyond.items[beyond.count++] = routes.items[r];
  }
  return beyond;
}

// Bytes 0..2 of the visible pixels, converted straight from the planes.
void WriteConvertedYcc(const McuPlanes& planes, const ComponentOutputFormat& format, const McuTarget& target,
                       const PixelRect& visible) {
  for (int row = visible.top; row < visible.bottom; ++row) {
    const int first = row * kMcuPlaneSide + visible.left;
    uint8_t* pixels = target.dib + target.topLeft + row * target.lineBytes + ptrdiff_t{visible.left} * target.channels;
    format.convertRow(planes.component[0].samples + first, planes.component[1].samples + first,
                      planes.component[2].samples + first, visible.right - visible.left, pixels, target.channels,
                      format.dibColor, format.jpegColor);
  }
}

// Expands a component of a usable format; false when its blocks are not all there.
bool ExpandComponent(const CoefficientBlock* blocks, int blockCount, const ComponentOutputFormat& format,
                     int component, int blockSize, bool simpleSampling, const PixelRect& visible, McuPlane& plane) {
  const int across = format.horizontal[component], down = format.vertical[component];
  const int first = BlocksBefore(format, component);
  if (blocks == nullptr || first + across * down > blockCount) return false;
  const int mcuWidth = blockSize * format.hmax, mcuHeight = blockSize * format.vmax;
  ExpandBlocks(blocks + first, across, down, SamplesPerBlock(format, component, blockSize, simpleSampling),
               mcuWidth, mcuHeight, ClampToMcu(visible, mcuWidth, mcuHeight), plane);
  return true;
}

// The planes by `routes` into the visible pixels (inside the planes), then
// the conversion when the format asks for it. Where bytes 0..2 take the
// three planes as they are, the conversion reads the planes and the
// converted bytes are written once.
void WritePlanes(const McuPlanes& planes, const ComponentOutputFormat& format, const Routes& routes,
                 const McuTarget& target, const PixelRect& visible) {
  if (format.convert == 1 && ConvertsMcuPixels(target.channels, format.dibColor, format.jpegColor) &&
      CarriesYccInFirstBytes(routes)) {
    WriteRoutes(planes, RoutesBeyondYcc(routes), target, visible);
    WriteConvertedYcc(planes, format, target, visible);
    return;
  }
  WriteRoutes(planes, routes, target, visible);
  if (format.convert == 1) {
    McuTarget converted = target;
    converted.visible = visible;
    ConvertMcuPixels(converted, format.dibColor, format.jpegColor);
  }
}

// Builds the planes the routes read and writes them; nothing when the MCU
// lacks a component's blocks.
void OutputBlocks(const CoefficientBlock* blocks, int blockCount, const ComponentOutputFormat& format,
                  int blockSize, bool simpleSampling, const McuTarget& target) {
  if (!IsUsableComponentFormat(format) || !IsBlockSize(blockSize)) return;
  const int mcuWidth = blockSize * format.hmax, mcuHeight = blockSize * format.vmax;
  const PixelRect visible = ClampToMcu(target.visible, mcuWidth, mcuHeight);
  if (IsEmpty(visible)) return;
  const Routes routes = RoutesFor(format, target.channels);
  McuPlanes planes;
  bool built[kMaxOutputComponents] = {};
  for (int r = 0; r < routes.count; ++r) {
    const int source = routes.items[r].source;
    if (source == kOpaque || built[source]) continue;
    if (!ExpandComponent(blocks, blockCount, format, source, blockSize, simpleSampling, visible,
                         planes.component[source])) {
      return;
    }
    built[source] = true;
  }
  WritePlanes(planes, format, routes, target, visible);
}

}  // namespace

namespace {

// Whether `factor` divides `largest`, both 1..kMaxSamplingFactor: looked up,
// as the interpolating output asks for every MCU and a division is slow.
bool Divides(int factor, int largest) {
  constexpr uint32_t kDivisorsOf[kMaxSamplingFactor + 1] = {0, 0b0010, 0b0110, 0b1010, 0b10110};
  return (kDivisorsOf[largest] >> factor & 1) != 0;
}

}  // namespace

bool IsUsableComponentFormat(const ComponentOutputFormat& format) {
  if (format.componentCount < 1) return false;
  if (format.hmax < 1 || format.hmax > kMaxSamplingFactor || format.vmax < 1 || format.vmax > kMaxSamplingFactor) {
    return false;
  }
  for (int c = 0; c < ComponentsAvailable(format); ++c) {
    const int h = format.horizontal[c], v = format.vertical[c];
    if (h < 1 || h > format.hmax || v < 1 || v > format.vmax) return false;
    if (!Divides(h, format.hmax) || !Divides(v, format.vmax)) return false;
  }
  return true;
}

bool BuildComponentPlane(const CoefficientBlock* blocks, int blockCount, const ComponentOutputFormat& format,
                         int component, int blockSize, bool simpleSampling, const PixelRect& visible,
                         McuPlane& plane) {
  if (!IsUsableComponentFormat(format) || !IsBlockSize(blockSize)) return false;
  if (component < 0 || component >= ComponentsAvailable(format)) return false;
  return ExpandComponent(blocks, blockCount, format, component, blockSize, simpleSampling, visible, plane);
}

void WriteComponentPlanes(const McuPlanes& planes, const ComponentOutputFormat& format, int mcuWidth,
                          int mcuHeight, const McuTarget& target) {
  const PixelRect visible =
      ClampToMcu(target.visible, std::min(mcuWidth, kMcuPlaneSide), std::min(mcuHeight, kMcuPlaneSide));
  if (IsEmpty(visible)) return;
  WritePlanes(planes, format, RoutesFor(format, target.channels), target, visible);
}

namespace {

// The colour entry of a whole-MCU layout (RGB, BGR, RGBA), or -1.
int WholeMcuColourOf(int dibColor) {
  switch (dibColor) {
    case JpegColorRgb:
      return 0;
    case JpegColorBgr:
      return 1;
    case JpegColorRgba:
      return 2;
    default:
      return -1;
  }
}

// The sampling entry (first component 1x1, 2x1, 2x2; the others 1x1), or -1.
int WholeMcuSamplingOf(const ComponentOutputFormat& format) {
  const int h = format.horizontal[0], v = format.vertical[0];
  for (int c = 1; c < 3; ++c) {
    if (format.horizontal[c] != 1 || format.vertical[c] != 1) return -1;
  }
  if (format.hmax != h || format.vmax != v) return -1;
  if (v == 1) return h == 1 ? 0 : h == 2 ? 1 : -1;
  return h == 2 && v == 2 ? 2 : -1;
}

}  // namespace

int WholeMcuLayoutOf(const ComponentOutputFormat& format) {
  if (format.convert != 1 || format.componentCount != 3 || format.jpegColor != JpegColorYCbCr) return -1;
  const int colour = WholeMcuColourOf(format.dibColor);
  const int sampling = WholeMcuSamplingOf(format);
  return colour < 0 || sampling < 0 ? -1 : 3 * sampling + colour;
}

void OutputMcuPerComponent(const CoefficientBlock* blocks, int blockCount, const ComponentOutputFormat& format,
                           const McuTarget& target) {
  // A packed form exists only for three components, whose blocks it reads.
  if (format.wholeMcu != nullptr && blocks != nullptr && blockCount >= BlocksBefore(format, 3) &&
      format.wholeMcu(blocks, target)) {
    return;
  }
  OutputBlocks(blocks, blockCount, format, 8, false, target);
}

namespace {

// The MCU's samples in raster order, converted in one run (the conversion
// works eight pixels at a time, more than a row of a reduced MCU holds),
// then placed row by row. Luminance has kH x kV blocks; the chroma has one
// sample a pixel under simple sampling (4:2:0, transformed one size larger)
// and is replicated by kH x kV otherwise. An MCU of fewer than eight pixels
// is converted with zeros after it up to eight, which spares the conversion
// its careful way with a short run's last pixels.
template <int kH, int kV, int kBlockSize>
void WriteYccRows(const CoefficientBlock* blocks, const ComponentOutputFormat& format, const McuTarget& target) {
  const int pixelBytes = target.channels;
  constexpr bool kSimple = kH == 2 && kV == 2;
  constexpr int kChromaShiftX = kSimple ? 0 : kH - 1, kChromaShiftY = kSimple ? 0 : kV - 1;
  constexpr int kWidth = kBlockSize * kH, kHeight = kBlockSize * kV;
  constexpr int kConverted = kWidth * kHeight < 8 ? 8 : kWidth * kHeight;
  const CoefficientBlock& cb = blocks[kH * kV];
  const CoefficientBlock& cr = blocks[kH * kV + 1];
  uint8_t luma[64], blue[64], red[64];
#pragma GCC unroll 8
  for (int at = kWidth * kHeight; at < kConverted; ++at) luma[at] = blue[at] = red[at] = 0;
#pragma GCC unroll 8
  for (int row = 0, at = 0; row < kHeight; ++row) {
    const CoefficientBlock* lumaRow = blocks + (row / kBlockSize) * kH;
    const int line = 8 * (row % kBlockSize);
    const int chromaLine = 8 * (row >> kChromaShiftY);
#pragma GCC unroll 8
    for (int x = 0; x < kWidth; ++x, ++at) {
      luma[at] = static_cast<uint8_t>(lumaRow[x / kBlockSize].values[line + x % kBlockSize]);
      blue[at] = static_cast<uint8_t>(cb.values[chromaLine + (x >> kChromaShiftX)]);
      red[at] = static_cast<uint8_t>(cr.values[chromaLine + (x >> kChromaShiftX)]);
    }
  }
  // Four-byte pixels are opaque; the conversion keeps their byte 3.
  uint8_t converted[64 * 4];
  if (pixelBytes == 4) std::memset(converted, 255, sizeof converted);
  format.convertRow(luma, blue, red, kConverted, converted, pixelBytes, format.dibColor, format.jpegColor);
  // Copies of a known size, which need no call.
  auto place = [&](auto pixelSize) {
    constexpr int kRowBytes = kWidth * decltype(pixelSize)::value;
#pragma GCC unroll 8
    for (int row = 0; row < kHeight; ++row) {
      std::memcpy(target.dib + target.topLeft + row * target.lineBytes, converted + row * kRowBytes, kRowBytes);
    }
  };
  if (pixelBytes == 4) {
    place(std::integral_constant<int, 4>{});
  } else {
    place(std::integral_constant<int, 3>{});
  }
}

// Bytes a pixel of grey data takes by the channel rules where the grey row
// writer serves the DIB: one grey byte, three, or three and 255; else 0.
int GreyPixelBytes(int dibColor) {
  switch (dibColor) {
    case JpegColorGrey:
      return 1;
    case JpegColorRgb:
    case JpegColorBgr:
      return 3;
    case JpegColorRgba:
      return 4;
    default:
      return 0;
  }
}

// Each row (at most 16 bytes) is built in two 64-bit registers, byte b of
// the row at bits 8b of them, and stored from them in copies of known sizes:
// building it in memory a pixel at a time and then reading it back stalls
// on every row.
template <int kBlockSize, int kPixelBytes>
void WriteGreyRows(const CoefficientBlock* blocks, const ComponentOutputFormat& /*format*/, const McuTarget& target) {
  constexpr int kRowBytes = kBlockSize * kPixelBytes;
  static_assert(kRowBytes <= 16);
  constexpr uint64_t kSpread = kPixelBytes == 1 ? 1 : 0x010101;
  constexpr uint64_t kOpaqueByte = kPixelBytes == 4 ? 0xFF000000u : 0;
  const CoefficientBlock& block = blocks[0];
#pragma GCC unroll 4
  for (int row = 0; row < kBlockSize; ++row) {
    uint64_t low = 0, high = 0;
#pragma GCC unroll 4
    for (int x = 0; x < kBlockSize; ++x) {
      const uint64_t pixel = (block.values[8 * row + x] & 0xFFu) * kSpread | kOpaqueByte;
      const int at = x * kPixelBytes;
      if (at >= 8) {
        high |= pixel << (8 * (at - 8));
      } else {
        low |= pixel << (8 * at);
        if (at + kPixelBytes > 8) high |= pixel >> (8 * (8 - at));
      }
    }
    uint8_t* out = target.dib + target.topLeft + row * target.lineBytes;
    if constexpr (std::endian::native != std::endian::little) {
      for (int b = 0; b < kRowBytes; ++b)
        out[b] = static_cast<uint8_t>((b < 8 ? low >> (8 * b) : high >> (8 * (b - 8))));
    } else if constexpr (kRowBytes > 8) {
      std::memcpy(out, &low, 8);
      std::memcpy(out + 8, &high, kRowBytes - 8);
    } else {
      std::memcpy(out, &low, kRowBytes);
    }
  }
}

// The writer of a YCbCr layout of the whole-MCU layouts into pixels of
// `pixelBytes`, or none. Only 4:2:0 has its chroma transformed one size
// larger under simple sampling; the other layouts replicate it by hmax x vmax.
ReducedRowWriter YccRowWriterFor(const ComponentOutputFormat& format, int sizeIndex, bool simpleSampling,
                                 int pixelBytes) {
  const int layout = WholeMcuLayoutOf(format);
  if (layout < 0 || (layout >= kFirst420Layout) != simpleSampling) return nullptr;
  if (pixelBytes != (format.dibColor == JpegColorRgba ? 4 : 3)) return nullptr;
  // Layouts come in threes (RGB, BGR, RGBA) of one sampling.
  constexpr ReducedRowWriter kWriters[3][3] = {
      {WriteYccRows<1, 1, 1>, WriteYccRows<1, 1, 2>, WriteYccRows<1, 1, 4>},
      {WriteYccRows<2, 1, 1>, WriteYccRows<2, 1, 2>, WriteYccRows<2, 1, 4>},
      {WriteYccRows<2, 2, 1>, WriteYccRows<2, 2, 2>, WriteYccRows<2, 2, 4>},
  };
  return kWriters[layout / 3][sizeIndex];
}

ReducedRowWriter GreyRowWriterFor(const ComponentOutputFormat& format, int sizeIndex, int pixelBytes) {
  if (format.jpegColor != JpegColorGrey || format.componentCount != 1 || format.hmax != 1 || format.vmax != 1 ||
      pixelBytes != GreyPixelBytes(format.dibColor)) {
    return nullptr;
  }
  // By block size (1, 2, 4), then by pixel bytes (1, 3, 4).
  constexpr ReducedRowWriter kWriters[3][3] = {
      {WriteGreyRows<1, 1>, WriteGreyRows<1, 3>, WriteGreyRows<1, 4>},
      {WriteGreyRows<2, 1>, WriteGreyRows<2, 3>, WriteGreyRows<2, 4>},
      {WriteGreyRows<4, 1>, WriteGreyRows<4, 3>, WriteGreyRows<4, 4>},
  };
  return kWriters[sizeIndex][pixelBytes / 2];
}

}  // namespace

ReducedRowWriter ReducedRowWriterFor(const ComponentOutputFormat& format, int blockSize, bool simpleSampling,
                                     int channels, ptrdiff_t lineBytes) {
  if (!IsBlockSize(blockSize) || blockSize == 8 || !IsUsableComponentFormat(format)) return nullptr;
  // Rows that overlap would make the order of writes show: the planes keep it.
  const ptrdiff_t stride = lineBytes < 0 ? -lineBytes : lineBytes;
  if (stride < ptrdiff_t{blockSize} * format.hmax * channels) return nullptr;
  const int sizeIndex = std::countr_zero(static_cast<unsigned>(blockSize));
  const ReducedRowWriter ycc = YccRowWriterFor(format, sizeIndex, simpleSampling, channels);
  return ycc != nullptr ? ycc : GreyRowWriterFor(format, sizeIndex, channels);
}

bool WriteReducedMcuByRows(const CoefficientBlock* blocks, const ComponentOutputFormat& format, int blockSize,
                           bool simpleSampling, const McuTarget& target) {
  const ReducedRowWriter writer =
      ReducedRowWriterFor(format, blockSize, simpleSampling, target.channels, target.lineBytes);
  const PixelRect& v = target.visible;
  if (writer == nullptr || v.left > 0 || v.top > 0 || v.right < blockSize * format.hmax ||
      v.bottom < blockSize * format.vmax) {
    return false;
  }
  writer(blocks, format, target);
  return true;
}

void OutputReducedMcu(const CoefficientBlock* blocks, int blockCount, const ComponentOutputFormat& format,
                      int blockSize, bool simpleSampling, const McuTarget& target) {
  // The whole-MCU forms read the blocks of a three-component MCU, or the
  // one block of a grey one.
  if (blocks != nullptr && blockCount >= BlocksBefore(format, 3)) {
    if (simpleSampling && format.halfSizeMcu != nullptr && blockSize == 4 && format.halfSizeMcu(blocks, target)) return;
    if (format.reducedMcu != nullptr && format.reducedMcu(blocks, format, blockSize, simpleSampling, target)) return;
  }
  OutputBlocks(blocks, blockCount, format, blockSize, simpleSampling, target);
}

BlockExtent SingleComponentBlockExtent(const ComponentOutputFormat& format, int component, int blockSize) {
  if (!IsUsableComponentFormat(format) || !IsBlockSize(blockSize)) return {0, 0};
  if (component < 0 || component >= ComponentsAvailable(format)) return {0, 0};
  return {blockSize * format.hmax / format.horizontal[component],
          blockSize * format.vmax / format.vertical[component]};
}

void WriteSingleComponentPlane(const McuPlanes& planes, int component, const ComponentOutputFormat& format,
                               int blockSize, const McuTarget& target) {
  const BlockExtent extent = SingleComponentBlockExtent(format, component, blockSize);
  if (extent.width == 0) return;
  const PixelRect visible = ClampToMcu(target.visible, extent.width, extent.height);
  if (IsEmpty(visible)) return;
  Routes routes;
  const Routes all = RoutesFor(format, target.channels);
  for (int r = 0; r < all.count; ++r) {
    if (all.items[r].source == component) routes.items[routes.count++] = all.items[r];
  }
  if (routes.count != 0) WriteRoutes(planes, routes, target, visible);
}

void OutputSingleComponentBlock(const CoefficientBlock& block, int component, const ComponentOutputFormat& format,
                                int blockSize, bool simpleSampling, const McuTarget& target) {
  const BlockExtent extent = SingleComponentBlockExtent(format, component, blockSize);
  if (extent.width == 0) return;
  const PixelRect visible = ClampToMcu(target.visible, extent.width, extent.height);
  if (IsEmpty(visible)) return;
  McuPlanes planes;
  ExpandBlocks(&block, 1, 1, SamplesPerBlock(format, component, blockSize, simpleSampling), extent.width,
               extent.height, visible, planes.component[component]);
  WriteSingleComponentPlane(planes, component, format, blockSize, target);
}

}  // namespace halvora::jpeg
