// Decoding of a sequential scan, MCU by MCU, straight into the DIB.
#pragma once

#include <halvora/jpeg.h>
#include "jpeg/interface/private_state.h"
#include "jpeg/kernels/kernel_table.h"

namespace halvora::jpeg {

// The most scans a sequential image may have. A valid one codes each of its
// (at most four) components in exactly one scan; every scan visits every
// block of its components however little data it holds, so this bounds the
// work of a stream of many tiny scans at a few passes over the image.
inline constexpr int kMaxSequentialScans = 16;

// The MCUs of a sequential scan: a scan of one component codes one block per
// MCU over that component's own block grid; an interleaved scan uses the
// frame's MCU grid.
struct McuGrid {
  int per_row;
  int rows;
  int blocks;  // blocks of one MCU
};
McuGrid SequentialGridOf(const PrivateState& state, const JpegScan& scan);

// The block decoder of each block of an MCU, and whether the MCU's blocks
// are cleared first, as decoders that store only the coded terms need. When
// every block is decoded alike (whole, or its DC term alone), `whole`
// decodes the MCU in one call.
struct McuDecoders {
  DecodeBlockKernel blocks[kMcuBufferBlocks];
  DecodeMcuKernel whole;
  bool clear;
};
// Every block decoded and dequantised; with `dcAlone` (by block, or null)
// the blocks whose transform reads only the DC term get that term alone,
// and when all of them do the MCU is not cleared first.
McuDecoders DequantizingDecoders(const KernelTable& kernels, const bool* dcAlone);
// Every block passed over, keeping only the DC predictions up to date.
McuDecoders PassingDecoders(const KernelTable& kernels);

// Entropy-decodes the blocks of one MCU into the MCU buffer. 0 or a negative code.
int DecodeMcuBlocks(JpegStream& stream, JpegScan& scan, McuBuffer& mcu, const McuDecoders& decoders);

// Counts an MCU about to be decoded. An MCU that finds no data left is still
// written (its blocks come out flat), but the read writes at most one image's
// worth of blocks that way: a valid stream cut short never needs more, and a
// few hundred bytes of scan headers over a large frame cannot make the read
// write the image again and again. 0, or -21 past that.
int CountMcu(JpegStream& stream, ProgressionState& progression, const PrivateState& state, const McuGrid& grid);

// The MCUs of `written` as an interrupted read reports them in `region`.
JpegRegion WrittenRegion(const UnitWindow& written);

// Decodes the scan from its resume position: 0 when its last MCU is written,
// 1 when `interrupt_request` stopped it after an MCU that completed the
// output of one or more MCUs (the resume position is then the next MCU and
// `region` names the MCUs just written, in MCU units), or a negative code.
int DecodeSequentialScan(JpegStream& stream, JpegScan& scan, JPEG_PROPERTIES& record);

}  // namespace halvora::jpeg
