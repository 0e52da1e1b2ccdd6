#include "jpeg/kernels/color_output.h"
#include "jpeg/kernels/mcu_layouts.h"
#include "jpeg/kernels/ycc_to_rgb.h"

namespace halvora::jpeg {

namespace {

using mcu_layouts::Layout420;
using mcu_layouts::Layout422;
using mcu_layouts::Layout444;
using mcu_layouts::WriteMcu;

// Pixel formats of the converting routines: the chroma offsets are worked
// out once per chroma sample and added to every luminance sample it covers.
struct ConvertedFormat {
  using Chroma = ChromaOffsets;
  static Chroma Prepare(uint8_t cb, uint8_t cr) { return FusedChromaOffsets(cb, cr); }
};

struct RgbPixel : ConvertedFormat {
  template <class L>
  static void Put(uint8_t* pixel, uint8_t y, const Chroma& chroma, const McuBuffer&, int, int) {
    const Rgb rgb = ApplyChroma(y, chroma);
    pixel[0] = rgb.red;
    pixel[1] = rgb.green;
    pixel[2] = rgb.blue;
  }
};

struct BgrPixel : ConvertedFormat {
  template <class L>
  static void Put(uint8_t* pixel, uint8_t y, const Chroma& chroma, const McuBuffer&, int, int) {
    const Rgb rgb = ApplyChroma(y, chroma);
    pixel[0] = rgb.blue;
    pixel[1] = rgb.green;
    pixel[2] = rgb.red;
  }
};

struct RgbaPixel : ConvertedFormat {
  template <class L>
  static void Put(uint8_t* pixel, uint8_t y, const Chroma& chroma, const McuBuffer&, int, int) {
    const Rgb rgb = ApplyChroma(y, chroma);
    pixel[0] = rgb.red;
    pixel[1] = rgb.green;
    pixel[2] = rgb.blue;
    pixel[3] = 255;
  }
};

// YCCK: the colour was stored complemented, the fourth component as is.
struct YcckPixel : ConvertedFormat {
  template <class L>
  static void Put(uint8_t* pixel, uint8_t y, const Chroma& chroma, const McuBuffer& mcu, int row, int column) {
    const Rgb rgb = ApplyChroma(y, chroma);
    pixel[0] = static_cast<uint8_t>(255 - rgb.red);
    pixel[1] = static_cast<uint8_t>(255 - rgb.green);
    pixel[2] = static_cast<uint8_t>(255 - rgb.blue);
    pixel[3] = mcu_layouts::PixelSamples<L>::Fourth(mcu, row, column);
  }
};

struct PackedYcc422Pixel {
  struct Chroma {
    uint8_t cb;
    uint8_t cr;
  };
  static Chroma Prepare(uint8_t cb, uint8_t cr) { return {cb, cr}; }
  template <class L>
  static void Put(uint8_t* pixel, uint8_t y, const Chroma& chroma, const McuBuffer&, int, int column) {
    pixel[0] = y;
    pixel[1] = column % 2 == 0 ? chroma.cb : chroma.cr;
  }
};

}  // namespace

void OutputMcu444RgbPlain(const McuBuffer& mcu, const McuTarget& target) { WriteMcu<Layout444, RgbPixel>(mcu, target); }
void OutputMcu444BgrPlain(const McuBuffer& mcu, const McuTarget& target) { WriteMcu<Layout444, BgrPixel>(mcu, target); }
void OutputMcu420RgbPlain(const McuBuffer& mcu, const McuTarget& target) { WriteMcu<Layout420, RgbPixel>(mcu, target); }
void OutputMcu420BgrPlain(const McuBuffer& mcu, const McuTarget& target) { WriteMcu<Layout420, BgrPixel>(mcu, target); }
void OutputMcu422RgbPlain(const McuBuffer& mcu, const McuTarget& target) { WriteMcu<Layout422, RgbPixel>(mcu, target); }
void OutputMcu422BgrPlain(const McuBuffer& mcu, const McuTarget& target) { WriteMcu<Layout422, BgrPixel>(mcu, target); }

void OutputMcu444RgbaPlain(const McuBuffer& mcu, const McuTarget& target) {
  WriteMcu<Layout444, RgbaPixel>(mcu, target);
}
void OutputMcu420RgbaPlain(const McuBuffer& mcu, const McuTarget& target) {
  WriteMcu<Layout420, RgbaPixel>(mcu, target);
}
void OutputMcu422RgbaPlain(const McuBuffer& mcu, const McuTarget& target) {
  WriteMcu<Layout422, RgbaPixel>(mcu, target);
}

void OutputMcu444YcckPlain(const McuBuffer& mcu, const McuTarget& target) {
  WriteMcu<Layout444, YcckPixel>(mcu, target);
}
void OutputMcu420YcckPlain(const McuBuffer& mcu, const McuTarget& target) {
  WriteMcu<Layout420, YcckPixel>(mcu, target);
}
void OutputMcu422YcckPlain(const McuBuffer& mcu, const McuTarget& target) {
  WriteMcu<Layout422, YcckPixel>(mcu, target);
}

void OutputMcuPackedYcc422Plain(const McuBuffer& mcu, const McuTarget& target) {
  WriteMcu<Layout422, PackedYcc422Pixel>(mcu, target);
}

}  // namespace halvora::jpeg
