// MCU output routines: each writes one transformed MCU into the visible
// pixels of its target (see McuTarget) and touches no other byte. The routine
// for a whole MCU and for a clipped one is the same call.
//
// Blocks in the MCU buffer, in order: 4:4:4 Y Cb Cr [K]; 4:2:2 Y0 Y1 Cb Cr
// [K0 K1]; 4:2:0 Y0..Y3 Cb Cr [K0..K3]. Chroma is replicated over the 1, 2
// or 4 pixels it covers. `target.channels` must be the bytes per pixel of the
// routine (given last in each comment).
#pragma once

#include "jpeg/kernels/kernel_types.h"

namespace halvora::jpeg {

// YCbCr converted to colour (fused green form).
void OutputMcu444RgbPlain(const McuBuffer& mcu, const McuTarget& target);   // path 1: R G B
void OutputMcu444BgrPlain(const McuBuffer& mcu, const McuTarget& target);   // path 2: B G R
void OutputMcu420RgbPlain(const McuBuffer& mcu, const McuTarget& target);   // path 3: R G B
void OutputMcu420BgrPlain(const McuBuffer& mcu, const McuTarget& target);   // path 4: B G R
void OutputMcu422RgbPlain(const McuBuffer& mcu, const McuTarget& target);   // path 5: R G B
void OutputMcu422BgrPlain(const McuBuffer& mcu, const McuTarget& target);   // path 6: B G R
void OutputMcu444RgbaPlain(const McuBuffer& mcu, const McuTarget& target);  // path 7: R G B 255
void OutputMcu420RgbaPlain(const McuBuffer& mcu, const McuTarget& target);  // path 8: R G B 255
void OutputMcu422RgbaPlain(const McuBuffer& mcu, const McuTarget& target);  // path 9: R G B 255

// YCCK: complemented colour, the fourth component unchanged.
void OutputMcu444YcckPlain(const McuBuffer& mcu, const McuTarget& target);  // path 10: ~R ~G ~B K
void OutputMcu420YcckPlain(const McuBuffer& mcu, const McuTarget& target);  // path 11: ~R ~G ~B K
void OutputMcu422YcckPlain(const McuBuffer& mcu, const McuTarget& target);  // path 12: ~R ~G ~B K

// Components copied without conversion.
void CopyMcu444AlphaPlain(const McuBuffer& mcu, const McuTarget& target);  // path 13: c0 c1 c2 255
void CopyMcu4444Plain(const McuBuffer& mcu, const McuTarget& target);      // path 14: c0 c1 c2 c3
void CopyMcu444Plain(const McuBuffer& mcu, const McuTarget& target);       // path 15: c0 c1 c2
void CopyMcu420Plain(const McuBuffer& mcu, const McuTarget& target);       // path 16: Y c1 c2
void CopyMcu422Plain(const McuBuffer& mcu, const McuTarget& target);       // path 17: Y c1 c2

// Path 19: packed YCbCr 4:2:2, two bytes per pixel: Y, then Cb at even and
// Cr at odd MCU columns (Y0 Cb0 Y1 Cr0 Y2 Cb1 ...).
void OutputMcuPackedYcc422Plain(const McuBuffer& mcu, const McuTarget& target);

// One 8x8 grey block into a one-channel DIB.
void CopyMcuGreyPlain(const McuBuffer& mcu, const McuTarget& target);

// One 8x8 grey block into a colour DIB: the sample into each of the three
// colour bytes, and 255 into a fourth.
void CopyMcuGreyToColourPlain(const McuBuffer& mcu, const McuTarget& target);

// How the plain copy maps components to channels.
enum class ChannelOrder {
  kInOrder,      // component c into channel c; channels beyond the components are left alone
  kReversed,     // RGB-coded samples into a BGR DIB: component c into channel 2 - c
  kGreyToColour  // one grey component into channels 0..2, 255 into any channel above 2
};

// The plain copy: an 8x8 MCU of `components` unsubsampled blocks into the
// DIB channels as `order` says; channels without a source are not touched.
void CopyMcuChannelsPlain(const McuBuffer& mcu, const McuTarget& target, int components, ChannelOrder order);

}  // namespace halvora::jpeg
