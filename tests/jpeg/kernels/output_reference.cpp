#include "tests/jpeg/kernels/output_reference.h"

#include "tests/support/ycbcr_model.h"

namespace halvora::jpeg::testing {

namespace {

int Low8(int16_t value) { return value & 0xFF; }

struct Samples {
  int y, cb, cr, k;
};

Samples At(const McuBuffer& mcu, McuShape shape, int row, int column) {
  const int lumaBlocks = shape.blocksAcross * shape.blocksDown;
  const int lumaBlock = (row / 8) * shape.blocksAcross + column / 8;
  const int inBlock = (row % 8) * 8 + column % 8;
  // One chroma block spans the whole MCU.
  const int chromaRow = row * 8 / (8 * shape.blocksDown);
  const int chromaColumn = column * 8 / (8 * shape.blocksAcross);
  const int inChroma = chromaRow * 8 + chromaColumn;
  Samples s;
  s.y = Low8(mcu.blocks[lumaBlock].values[inBlock]);
  s.cb = Low8(mcu.blocks[lumaBlocks].values[inChroma]);
  s.cr = Low8(mcu.blocks[lumaBlocks + 1].values[inChroma]);
  const int fourthBlock = lumaBlocks + 2 + lumaBlock;
  s.k = fourthBlock < kMcuBufferBlocks ? Low8(mcu.blocks[fourthBlock].values[inBlock]) : 0;
  return s;
}

}  // namespace

int BytesPerPixel(PixelKind kind) {
  switch (kind) {
    case PixelKind::kRgb:
    case PixelKind::kBgr:
    case PixelKind::kCopy3:
      return 3;
    case PixelKind::kPackedYcc:
      return 2;
    case PixelKind::kGrey:
      return 1;
    default:
      return 4;
  }
}

void ModelPixel(const McuBuffer& mcu, McuShape shape, PixelKind kind, int row, int column, uint8_t* pixel) {
  const Samples s = At(mcu, shape, row, column);
  const auto [red, green, blue] = test_support::ModelYccToRgb(s.y, s.cb, s.cr, test_support::GreenForm::kFused);
  const uint8_t y = static_cast<uint8_t>(s.y), cb = static_cast<uint8_t>(s.cb), cr = static_cast<uint8_t>(s.cr),
                k = static_cast<uint8_t>(s.k);
  switch (kind) {
    case PixelKind::kRgb:
      pixel[0] = red, pixel[1] = green, pixel[2] = blue;
      break;
    case PixelKind::kBgr:
      pixel[0] = blue, pixel[1] = green, pixel[2] = red;
      break;
    case PixelKind::kRgba:
      pixel[0] = red, pixel[1] = green, pixel[2] = blue, pixel[3] = 255;
      break;
    case PixelKind::kYcck:
      pixel[0] = static_cast<uint8_t>(~red), pixel[1] = static_cast<uint8_t>(~green);
      pixel[2] = static_cast<uint8_t>(~blue), pixel[3] = k;
      break;
    case PixelKind::kCopy3:
      pixel[0] = y, pixel[1] = cb, pixel[2] = cr;
      break;
    case PixelKind::kCopyAlpha:
      pixel[0] = y, pixel[1] = cb, pixel[2] = cr, pixel[3] = 255;
      break;
    case PixelKind::kCopy4:
      pixel[0] = y, pixel[1] = cb, pixel[2] = cr, pixel[3] = k;
      break;
    case PixelKind::kPackedYcc:
      pixel[0] = y, pixel[1] = column % 2 == 0 ? cb : cr;
      break;
    case PixelKind::kGrey:
      pixel[0] = y;
      break;
  }
}

}  // namespace halvora::jpeg::testing
