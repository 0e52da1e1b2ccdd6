// The per-component output: the routine behind every layout without a fused
// routine, progressive images, images coded in single-component scans, the
// reduced-size reads and the interpolating chroma upsampling. Each component
// is expanded into an MCU plane at the MCU's full resolution and written into
// its byte of every visible pixel; then, when asked, the pixels are converted
// in the DIB (generic green form). Where bytes 0..2 take components 0..2 as
// they are, the converted bytes are written straight from the planes
// instead, with the same result.
//
// Channel rules (byte b of a pixel; nothing is ever written at b >= channels):
// - RGB-coded data into a BGR DIB: bytes 0, 1, 2 take components 2, 1, 0.
// - Grey data (one component): an RGB, BGR or RGBA DIB takes it in bytes 0..2,
//   an RGBA DIB also 255 in byte 3; any other DIB in byte 0 only.
// - A two-byte YCbCr DIB holds the packed 4:2:2 layout: Y in byte 0, Cb in
//   byte 1 of even and Cr in byte 1 of odd MCU columns; a wider YCbCr DIB
//   takes components 0..2 only.
// - Otherwise byte b takes component b; an RGBA DIB fed RGB- or YCbCr-coded
//   data of at most three components gets 255 in byte 3.
#pragma once

#include <cstdint>

#include "jpeg/kernels/color_pass.h"
#include "jpeg/kernels/kernel_types.h"

namespace halvora::jpeg {

// At most four components reach a DIB pixel; the MCU plane allows the
// largest sampling factors at 8 samples per block.
inline constexpr int kMaxOutputComponents = 4;
inline constexpr int kMcuPlaneSide = 8 * kMaxSamplingFactor;

// What the per-component routine needs to know of the frame and the DIB;
// the driver fills it when it sets up the output.
// Writes a wholly visible MCU at full size in one step, or answers false
// (nothing written) and leaves it to the planes.
using WholeMcuKernel = bool (*)(const CoefficientBlock* blocks, const McuTarget& target);

// The whole-MCU layouts with packed forms: three YCbCr components, the first
// sampled 1x1, 2x1 or 2x2 and the others 1x1, into RGB, BGR or RGBA pixels.
inline constexpr int kWholeMcuLayouts = 9;

struct ComponentOutputFormat;

// Writes a wholly visible MCU of a reduced read (blocks of blockSize samples
// a side; simple sampling or not, as the read has it) row by row, or answers
// false (nothing written).
using ReducedMcuWriter = bool (*)(const CoefficientBlock* blocks, const ComponentOutputFormat& format, int blockSize,
                                  bool simpleSampling, const McuTarget& target);

struct ComponentOutputFormat {
  int32_t jpegColor;       // JpegColor of the data
  int32_t dibColor;        // JpegColor of the DIB
  int32_t componentCount;  // components whose blocks the MCU carries (the frame's, or the scan's)
  // Sampling factors of the first components, in the order of their blocks.
  int32_t horizontal[kMaxOutputComponents];
  int32_t vertical[kMaxOutputComponents];
  int32_t hmax;     // the frame's largest factors
  int32_t vmax;
  int32_t convert;  // 1: convert the MCU's pixels after writing them (interleaved scans only)
  ConvertRowKernel convertRow = ConvertMcuRow;  // that conversion, in the record's kernel set
  // A packed form of OutputMcuPerComponent for this format, or none; and of
  // OutputReducedMcu at half size under simple sampling.
  WholeMcuKernel wholeMcu = nullptr;
  WholeMcuKernel halfSizeMcu = nullptr;
  // The row-by-row form of OutputReducedMcu for this format, or none.
  ReducedMcuWriter reducedMcu = nullptr;
  // A packed form of the interpolating output of a full-size MCU whose
  // neighbours are all there, or none; and of a half- and a quarter-size
  // 4:2:2 one.
  SmoothMcuKernel smoothMcu = nullptr;
  SmoothMcuKernel smoothHalfSizeMcu = nullptr;
  SmoothMcuKernel smoothQuarterSizeMcu = nullptr;
};

// True when every factor the routine uses lies in 1..4 and divides the
// frame's largest factor, the only layouts it can expand by replication.
// The driver refuses other frames before decoding; the output routines
// write nothing for them.
bool IsUsableComponentFormat(const ComponentOutputFormat& format);

// One component at the MCU's full resolution, kMcuPlaneSide samples a row.
struct McuPlane {
  uint8_t samples[kMcuPlaneSide * kMcuPlaneSide];
};
struct McuPlanes {
  McuPlane component[kMaxOutputComponents];
};

// Expands component `component` of an MCU whose blocks hold blockSize x
// blockSize samples (8 at full size; 4, 2, 1 for the reduced reads) into
// `plane`, for the pixels of `visible` (relative to the MCU, which is
// blockSize * hmax by blockSize * vmax pixels). A component is replicated by
// hmax/H x vmax/V, except that with `simpleSampling` a component of one block
// holds 2 * blockSize samples a side (it was transformed one size larger) and
// is copied one to one. `blocks` are the MCU's blocks in order, each
// component's H x V blocks in raster order; blockCount of them are valid.
// False, with the plane unchanged, when the component's blocks are not all there.
bool BuildComponentPlane(const CoefficientBlock* blocks, int blockCount, const ComponentOutputFormat& format,
                         int component, int blockSize, bool simpleSampling, const PixelRect& visible,
                         McuPlane& plane);

// Writes the planes of the first components into the visible pixels of
// `target` by the channel rules, fills byte 3 where they say so, and then
// converts the pixels when format.convert is 1. `mcuWidth` x `mcuHeight`
// bounds the visible rectangle; every plane a rule routes to a byte must hold
// the visible pixels. This is the last step of every form below,
// and the one the interpolating upsampling calls with its own chroma planes.
void WriteComponentPlanes(const McuPlanes& planes, const ComponentOutputFormat& format, int mcuWidth,
                          int mcuHeight, const McuTarget& target);

// The entry of the whole-MCU layouts (index 0..8 of kWholeMcuLayouts) that
// `format` has, or -1: 4:4:4 (0..2), 4:2:2 (3..5) and 4:2:0 (6..8), the
// last with half-size forms too.
int WholeMcuLayoutOf(const ComponentOutputFormat& format);
inline constexpr int kFirst422Layout = 3;
inline constexpr int kFirst420Layout = 6;

// Writes a wholly visible MCU of a reduced read row by row into a target
// whose pixels and rows fit the writer (ReducedRowWriterFor chose it for them).
using ReducedRowWriter = void (*)(const CoefficientBlock* blocks, const ComponentOutputFormat& format,
                                  const McuTarget& target);

// The row writer for MCUs of `format` read at blockSize (4, 2 or 1) into
// pixels of `channels` bytes on rows lineBytes apart, or none. There are
// writers for the YCbCr whole-MCU layouts (4:4:4, 4:2:2, and 4:2:0 under
// simple sampling, its chroma transformed one size larger), which take the
// MCU's samples in raster order, convert them in one run and place them row
// by row, and for grey data into grey, RGB, BGR or RGBA pixels by the channel
// rules. Each gives the same pixels as the planes.
ReducedRowWriter ReducedRowWriterFor(const ComponentOutputFormat& format, int blockSize, bool simpleSampling,
                                     int channels, ptrdiff_t lineBytes);

// A wholly visible MCU through the writer ReducedRowWriterFor gives its
// target; false (nothing written) for any other MCU.
bool WriteReducedMcuByRows(const CoefficientBlock* blocks, const ComponentOutputFormat& format, int blockSize,
                           bool simpleSampling, const McuTarget& target);

// One interleaved MCU at full size: (8 hmax) x (8 vmax) pixels.
void OutputMcuPerComponent(const CoefficientBlock* blocks, int blockCount, const ComponentOutputFormat& format,
                           const McuTarget& target);

// One interleaved MCU of a reduced read: blocks of blockSize (4, 2 or 1)
// samples a side, an MCU of (blockSize hmax) x (blockSize vmax) pixels.
void OutputReducedMcu(const CoefficientBlock* blocks, int blockCount, const ComponentOutputFormat& format,
                      int blockSize, bool simpleSampling, const McuTarget& target);

// The pixels one block of `component` covers in a single-component scan:
// (blockSize hmax / H) x (blockSize vmax / V). This is the MCU size to clip
// and place the block with; block (column, row) of the component is MCU
// (column, row) of that size. {0, 0} for an unusable format or component.
struct BlockExtent {
  int32_t width;
  int32_t height;
};
BlockExtent SingleComponentBlockExtent(const ComponentOutputFormat& format, int component, int blockSize);

// Writes planes.component[component], which holds that component's samples
// over its block's extent (as SingleComponentBlockExtent gives it), into the
// component's byte (or bytes) of the visible pixels of `target` by the
// channel rules; nothing else is written.
void WriteSingleComponentPlane(const McuPlanes& planes, int component, const ComponentOutputFormat& format,
                               int blockSize, const McuTarget& target);

// One block of one component of a single-component scan, replicated over its
// extent into that component's byte (or bytes) by the channel rules; the
// YCbCr bytes are converted later by ConvertDibInPlace, never here. For a
// two-byte YCbCr DIB the samples go into the packed 4:2:2 layout.
void OutputSingleComponentBlock(const CoefficientBlock& block, int component, const ComponentOutputFormat& format,
                                int blockSize, bool simpleSampling, const McuTarget& target);

}  // namespace halvora::jpeg
