// Writing one MCU with interpolated chroma (luminance 2x1 or 2x2 over 1x1
// chroma): the chroma samples are blended with their neighbours, across MCU
// boundaries too, so the MCU is written only once the MCUs around it are
// transformed. Full-size reads interpolate both layouts; the half and
// quarter reads interpolate the horizontally halved chroma (2x1) on their
// reduced blocks; every other read replicates.
//
// The context planes hold the transformed blocks of three MCU rows, so that
// an MCU can be written once the MCUs around it are transformed. A
// sequential scan writes an MCU one MCU later (and one MCU row later when the
// chroma is halved vertically too); a progressive image rolls its rows
// through them as it is written.
#pragma once

#include <cstdint>

#include "jpeg/interface/private_state.h"
#include "jpeg/kernels/component_output.h"
#include "jpeg/entropy/region_index.h"

namespace halvora::jpeg {

inline constexpr int kContextRows = 3;

// Blocks of one stored MCU: every frame component's.
int ContextBlocksPerMcu(const JpegFrame& frame);

// Bytes the planes take for the frame: three rows of mcusAcross MCUs of
// every frame block. 0 when the size cannot be had.
int64_t ContextPlaneBytes(const JpegFrame& frame, int mcusAcross);

// Whether the record holds planes of the size the current frame needs.
bool HasContextPlanes(const PrivateState& state);

// The stored blocks of MCU (column, row), in MCU order; the planes hold the
// rows row - 2 .. row.
CoefficientBlock* StoredMcu(PrivateState& state, int column, int row);

// Whether a read at `scale` (1, 2, 4, 8) of a frame with interpolable chroma
// interpolates it.
bool InterpolatesAtScale(const JpegFrame& frame, int scale);

// Writes MCU (column, row) of a read whose blocks hold blockSize samples a
// side, its blocks around.mcus[1][1] in the order `format` gives, into
// `target`; components of one block per MCU are interpolated (by the
// upsamplers of `kernels`), the others replicated.
void OutputSmoothMcu(const KernelTable& kernels, const JpegFrame& frame, const ComponentOutputFormat& format,
                     const McuNeighbourhood& around, int blockSize, int column, int row, const McuTarget& target);

// Writes MCU (column, row) from the MCUs kept in the context planes into the
// read's DIB (when it meets the scan's region), taking as its neighbours the
// stored MCUs inside `stored`.
void OutputStoredMcu(PrivateState& state, const ComponentOutputFormat& format, const UnitWindow& stored,
                     int blockSize, int column, int row);

// The same into `target`, where the caller has placed the MCU.
void OutputStoredMcu(PrivateState& state, const ComponentOutputFormat& format, const UnitWindow& stored, int blockSize,
                     int column, int row, const McuTarget& target);

// The same for a scan of chroma components only (1x1 each) of an image coded
// in scans of fewer components than the frame: the scan's MCU (column, row),
// one block of each of its components, is interpolated into those
// components' bytes; the colour conversion comes after the image's last scan.
void OutputStoredChromaScanMcu(PrivateState& state, const UnitWindow& stored, int blockSize, int column, int row);

}  // namespace halvora::jpeg
