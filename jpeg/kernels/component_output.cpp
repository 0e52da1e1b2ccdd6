#include "jpeg/kernels/component_output.h"

#include <algorithm>
#include <cstddef>

#include "jpeg/jpeg.h"
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

// A component of `across` x `down` blocks of `samples` a side, spread over a
// plane of planeWidth x planeHeight pixels. Every ratio is whole for a usable
// format, so pixel x takes sample x * (across * samples) / planeWidth, which
// is plain replication (or a one-to-one copy).
void ExpandBlocks(const CoefficientBlock* first, int across, int down, int samples, int planeWidth,
                  int planeHeight, const PixelRect& visible, McuPlane& plane) {
  const int sampleColumns = across * samples;
  const int sampleRows = down * samples;
  for (int y = visible.top; y < visible.bottom; ++y) {
    const int sy = y * sampleRows / planeHeight;
    for (int x = visible.left; x < visible.right; ++x) {
      const int sx = x * sampleColumns / planeWidth;
      const CoefficientBlock& block = first[(sy / samples) * across + sx / samples];
      plane.samples[y * kMcuPlaneSide + x] = static_cast<uint8_t>(block.values[8 * (sy % samples) + sx % samples]);
    }
  }
}

int BlocksBefore(const ComponentOutputFormat& format, int component) {
  int offset = 0;
  for (int c = 0; c < component; ++c) offset += format.horizontal[c] * format.vertical[c];
  return offset;
}

void WriteRoutes(const McuPlanes& planes, const Routes& routes, const McuTarget& target, const PixelRect& visible) {
  for (int r = 0; r < routes.count; ++r) {
    const Route& route = routes.items[r];
    for (int row = visible.top; row < visible.bottom; ++row) {
      uint8_t* line = target.dib + target.topLeft + row * target.lineBytes + route.byte;
      for (int column = visible.left; column < visible.right; ++column) {
        if (route.parity != kAnyColumn && column % 2 != route.parity) continue;
        line[ptrdiff_t{column} * target.channels] =
            route.source == kOpaque ? 255 : planes.component[route.source].samples[row * kMcuPlaneSide + column];
      }
    }
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
    if (!BuildComponentPlane(blocks, blockCount, format, source, blockSize, simpleSampling, visible,
                             planes.component[source])) {
      return;
    }
    built[source] = true;
  }
  WriteComponentPlanes(planes, format, mcuWidth, mcuHeight, target);
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
    if (format.hmax % h != 0 || format.vmax % v != 0) return false;
  }
  return true;
}

bool BuildComponentPlane(const CoefficientBlock* blocks, int blockCount, const ComponentOutputFormat& format,
                         int component, int blockSize, bool simpleSampling, const PixelRect& visible,
                         McuPlane& plane) {
  if (!IsUsableComponentFormat(format) || !IsBlockSize(blockSize)) return false;
  if (component < 0 || component >= ComponentsAvailable(format)) return false;
  const int across = format.horizontal[component], down = format.vertical[component];
  const int first = BlocksBefore(format, component);
  if (blocks == nullptr || first + across * down > blockCount) return false;
  const int mcuWidth = blockSize * format.hmax, mcuHeight = blockSize * format.vmax;
  ExpandBlocks(blocks + first, across, down, SamplesPerBlock(format, component, blockSize, simpleSampling),
               mcuWidth, mcuHeight, ClampToMcu(visible, mcuWidth, mcuHeight), plane);
  return true;
}

void WriteComponentPlanes(const McuPlanes& planes, const ComponentOutputFormat& format, int mcuWidth,
                          int mcuHeight, const McuTarget& target) {
  const PixelRect visible =
      ClampToMcu(target.visible, std::min(mcuWidth, kMcuPlaneSide), std::min(mcuHeight, kMcuPlaneSide));
  if (IsEmpty(visible)) return;
  WriteRoutes(planes, RoutesFor(format, target.channels), target, visible);
  if (format.convert == 1) {
    McuTarget converted = target;
    converted.visible = visible;
    ConvertMcuPixels(converted, format.dibColor, format.jpegColor);
  }
}

void OutputMcuPerComponent(const CoefficientBlock* blocks, int blockCount, const ComponentOutputFormat& format,
                           const McuTarget& target) {
  OutputBlocks(blocks, blockCount, format, 8, false, target);
}

void OutputReducedMcu(const CoefficientBlock* blocks, int blockCount, const ComponentOutputFormat& format,
                      int blockSize, bool simpleSampling, const McuTarget& target) {
  OutputBlocks(blocks, blockCount, format, blockSize, simpleSampling, target);
}

BlockExtent SingleComponentBlockExtent(const ComponentOutputFormat& format, int component, int blockSize) {
  if (!IsUsableComponentFormat(format) || !IsBlockSize(blockSize)) return {0, 0};
  if (component < 0 || component >= ComponentsAvailable(format)) return {0, 0};
  return {blockSize * format.hmax / format.horizontal[component],
          blockSize * format.vmax / format.vertical[component]};
}

void OutputSingleComponentBlock(const CoefficientBlock& block, int component, const ComponentOutputFormat& format,
                                int blockSize, bool simpleSampling, const McuTarget& target) {
  const BlockExtent extent = SingleComponentBlockExtent(format, component, blockSize);
  if (extent.width == 0) return;
  const PixelRect visible = ClampToMcu(target.visible, extent.width, extent.height);
  if (IsEmpty(visible)) return;
  Routes routes;
  const Routes all = RoutesFor(format, target.channels);
  for (int r = 0; r < all.count; ++r) {
    if (all.items[r].source == component) routes.items[routes.count++] = all.items[r];
  }
  if (routes.count == 0) return;
  McuPlanes planes;
  ExpandBlocks(&block, 1, 1, SamplesPerBlock(format, component, blockSize, simpleSampling), extent.width,
               extent.height, visible, planes.component[component]);
  WriteRoutes(planes, routes, target, visible);
}

}  // namespace halvora::jpeg
