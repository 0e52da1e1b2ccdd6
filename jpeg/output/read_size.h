// The size a read reconstructs at, and where each of its MCUs lands in the
// caller's DIB. Full-size reads have scale 1; the half, quarter and eighth
// reads scale 2, 4 and 8, their blocks holding 8 / scale samples a side.
#pragma once

#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

int OutputScale(int ioType);

// The transform entry (0..3 for 8x8, 4x4, 2x2, 1x1 samples) of a scale.
int TransformIndex(int scale);
// The entry of blocks of one sample, which only their DC term makes.
inline constexpr int kOneSampleTransform = 3;

// The size the read reconstructs its blocks at.
struct ReadSize {
  int scale;
  int block_size;        // samples a side of a block
  bool simple_sampling;  // components of one block per MCU transformed one size larger
};

// Raw planes take every block at the read's size, so that each plane has one
// geometry: they never use simple sampling.
ReadSize ReadSizeOf(const PrivateState& state, bool rawPlanes);

// The transform entry of a frame component's blocks at the read's size: one
// size larger under simple sampling for a component of one block per MCU.
int ComponentTransformIndex(const ReadSize& size, const JpegComponent& component);

// Whether the read (raw planes or not, as the caller's record asks) makes
// frame component `component`'s samples from the DC terms of its blocks
// alone, as an eighth-size read does: no AC term of it shows.
bool ReadsDcTermsAlone(const PrivateState& state, int component);

// Places MCU (column, row) of mcuWidth x mcuHeight output pixels in the DIB
// of the read, clipped to the scan's region: false, with `target` unchanged,
// when none of its pixels is written.
bool PlaceMcu(const PrivateState& state, int mcuWidth, int mcuHeight, int column, int row, McuTarget& target);

}  // namespace halvora::jpeg
