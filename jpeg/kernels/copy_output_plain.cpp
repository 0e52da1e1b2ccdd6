#include <algorithm>

#include "jpeg/kernels/color_output.h"
#include "jpeg/kernels/mcu_layouts.h"

namespace halvora::jpeg {

namespace {

using mcu_layouts::Layout420;
using mcu_layouts::Layout422;
using mcu_layouts::Layout444;
using mcu_layouts::SampleAt;
using mcu_layouts::WriteMcu;

// The copying routines carry the chroma pair through unchanged.
struct CopiedChroma {
  struct Chroma {
    uint8_t c1;
    uint8_t c2;
  };
  static Chroma Prepare(uint8_t c1, uint8_t c2) { return {c1, c2}; }
};

struct ThreeChannelCopy : CopiedChroma {
  template <class L>
  static void Put(uint8_t* pixel, uint8_t c0, const Chroma& chroma, const McuBuffer&, int, int) {
    pixel[0] = c0;
    pixel[1] = chroma.c1;
    pixel[2] = chroma.c2;
  }
};

struct ThreeChannelWithAlphaCopy : CopiedChroma {
  template <class L>
  static void Put(uint8_t* pixel, uint8_t c0, const Chroma& chroma, const McuBuffer&, int, int) {
    pixel[0] = c0;
    pixel[1] = chroma.c1;
    pixel[2] = chroma.c2;
    pixel[3] = 255;
  }
};

struct FourChannelCopy : CopiedChroma {
  template <class L>
  static void Put(uint8_t* pixel, uint8_t c0, const Chroma& chroma, const McuBuffer& mcu, int row, int column) {
    pixel[0] = c0;
    pixel[1] = chroma.c1;
    pixel[2] = chroma.c2;
    pixel[3] = mcu_layouts::PixelSamples<L>::Fourth(mcu, row, column);
  }
};

// What the plain copy writes into one channel.
constexpr int kNoSource = -1;
constexpr int kOpaque = -2;

int ChannelSource(int channel, int components, ChannelOrder order) {
  int source = channel;
  if (order == ChannelOrder::kGreyToColour) {
    if (channel > 2) return kOpaque;
    source = 0;
  } else if (order == ChannelOrder::kReversed && channel <= 2) {
    source = 2 - channel;
  }
  return source < components ? source : kNoSource;
}

}  // namespace

void CopyMcu444AlphaPlain(const McuBuffer& mcu, const McuTarget& target) {
  WriteMcu<Layout444, ThreeChannelWithAlphaCopy>(mcu, target);
}
void CopyMcu4444Plain(const McuBuffer& mcu, const McuTarget& target) {
  WriteMcu<Layout444, FourChannelCopy>(mcu, target);
}
void CopyMcu444Plain(const McuBuffer& mcu, const McuTarget& target) {
  WriteMcu<Layout444, ThreeChannelCopy>(mcu, target);
}
void CopyMcu420Plain(const McuBuffer& mcu, const McuTarget& target) {
  WriteMcu<Layout420, ThreeChannelCopy>(mcu, target);
}
void CopyMcu422Plain(const McuBuffer& mcu, const McuTarget& target) {
  WriteMcu<Layout422, ThreeChannelCopy>(mcu, target);
}

void CopyMcuChannelsPlain(const McuBuffer& mcu, const McuTarget& target, int components, ChannelOrder order) {
  // One block per component: never read past the buffer, whatever the count.
  components = std::clamp(components, 0, kMcuBufferBlocks);
  const int top = std::max(target.visible.top, 0);
  const int bottom = std::min(target.visible.bottom, 8);
  const int left = std::max(target.visible.left, 0);
  const int right = std::min(target.visible.right, 8);
  for (int channel = 0; channel < target.channels; ++channel) {
    const int source = ChannelSource(channel, components, order);
    if (source == kNoSource) continue;
    for (int row = top; row < bottom; ++row) {
      for (int column = left; column < right; ++column) {
        const ptrdiff_t offset =
            target.topLeft + row * target.lineBytes + ptrdiff_t{column} * target.channels + channel;
        target.dib[offset] = source == kOpaque ? 255 : SampleAt(mcu, source, row, column);
      }
    }
  }
}

void CopyMcuGreyPlain(const McuBuffer& mcu, const McuTarget& target) {
  CopyMcuChannelsPlain(mcu, target, 1, ChannelOrder::kInOrder);
}

void CopyMcuGreyToColourPlain(const McuBuffer& mcu, const McuTarget& target) {
  CopyMcuChannelsPlain(mcu, target, 1, ChannelOrder::kGreyToColour);
}

}  // namespace halvora::jpeg
