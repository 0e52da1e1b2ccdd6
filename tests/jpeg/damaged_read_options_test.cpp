// Every damaged stream of the corpus read with every read option the record
// offers: each reduced size, interpolated chroma, a region, interrupts, raw
// planes, a DIB smaller than the image and every DIB colour. Each read must
// end with a result code; the sanitizer build checks that none reads or
// writes out of bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include <halvora/jpeg.h>
#include "jpeg/interface/private_state.h"
#include "tests/jpeg/decode_support.h"
#include "tests/jpeg/record.h"

namespace halvora::jpeg {
namespace {

struct ReadOption {
  const char* name;
  int io_type;
  int scale;
  bool smooth = false;
  bool interrupt = false;
  bool region = false;
  bool raw_planes = false;
  bool small_dib = false;  // half the image's width and height
};

const ReadOption kOptions[] = {
    {"whole", BufferReadImage, 1},
    {"half", BufferReadHalf, 2},
    {"quarter", BufferReadQuarter, 4},
    {"eighth", BufferReadEighth, 8},
    {"smooth", BufferReadImage, 1, true},
    {"smooth half", BufferReadHalf, 2, true},
    {"interrupt", BufferReadImage, 1, false, true},
    {"smooth interrupt", BufferReadImage, 1, true, true},
    {"region", BufferReadImage, 1, false, false, true},
    {"smooth region interrupt", BufferReadImage, 1, true, true, true},
    {"quarter region", BufferReadQuarter, 4, false, false, true},
    {"raw planes", BufferReadImage, 1, false, false, false, true},
    {"raw planes half", BufferReadHalf, 2, false, false, false, true},
    {"small dib", BufferReadImage, 1, false, false, false, false, true},
    {"smooth small dib", BufferReadImage, 1, true, false, false, false, true},
};

struct DibColour {
  int dib_color;
  int channels;
  int jpeg_color;  // 0: as the parameter read reports it
};

const DibColour kColours[] = {{JpegColorBgr, 3, 0}, {JpegColorRgb, 3, 0},   {JpegColorRgba, 4, 0},
                              {JpegColorGrey, 1, 0}, {JpegColorYCbCr, 3, 0}, {JpegColorOther, 4, JpegColorOther}};

// Frames up to this many pixels are read; larger ones take too long for the
// sanitizer build to read in every way.
constexpr int64_t kMaxPixels = 512 * 512;
// Interrupted reads answer once per MCU; a read that never ends is a fault.
constexpr int kMaxCalls = 1 << 16;

int CeilDiv(int a, int b) { return (a + b - 1) / b; }

// Planes for every component of the frame the parameter read found, sized
// as the raw plane list asks: MCUs per row x H x n by MCU rows x V x n.
std::vector<std::vector<int16_t>> RawPlanesFor(JPEG_PROPERTIES& record, int scale, std::array<int16_t*, 5>& list) {
  const PrivateState& state = Private(record);
  const JpegFrame& frame = state.markers.frame;
  const int n = 8 / scale;
  std::vector<std::vector<int16_t>> planes(static_cast<size_t>(frame.component_count));
  for (int k = 0; k < frame.component_count; ++k) {
    const JpegComponent& component = frame.components[k];
    planes[static_cast<size_t>(k)].resize(static_cast<size_t>(state.output.mcus_across * component.h * n) *
                                          static_cast<size_t>(state.output.mcus_down * component.v * n));
    list[static_cast<size_t>(k) + 1] = planes[static_cast<size_t>(k)].data();
  }
  return planes;
}

int Read(const std::vector<uint8_t>& stream, const ReadOption& option, const DibColour& colour) {
  testing::Record record;
  int result = record.ReadBuffer(stream, BufferReadParams);
  if (result != JpegSuccess) return result;
  if (int64_t{record->jpeg_width} * record->jpeg_height > kMaxPixels) return result;
  const int imageWidth = CeilDiv(record->jpeg_width, option.scale);
  const int imageHeight = CeilDiv(record->jpeg_height, option.scale);
  int width = option.small_dib ? CeilDiv(imageWidth, 2) : imageWidth;
  int height = option.small_dib ? CeilDiv(imageHeight, 2) : imageHeight;
  if (option.region) {
    // The middle of the image, a quarter of it each way.
    record->state.region = {imageWidth / 4, imageHeight / 4, std::max(imageWidth / 4 + 1, 3 * imageWidth / 4),
                            std::max(imageHeight / 4 + 1, 3 * imageHeight / 4)};
    width = record->state.region.right - record->state.region.left;
    height = record->state.region.bottom - record->state.region.top;
  }
  std::vector<uint8_t> dib(static_cast<size_t>(width * colour.channels + 1) * static_cast<size_t>(height));
  record.UseDib(dib, width, -height, colour.channels, colour.dib_color);
  record->dib_pad_bytes = 1;
  if (colour.jpeg_color != 0) record->jpeg_color = colour.jpeg_color;
  record->state.smooth_upsampling = option.smooth ? 1 : 0;
  std::array<int16_t*, 5> list{};
  std::vector<std::vector<int16_t>> planes;
  if (option.raw_planes) {
    planes = RawPlanesFor(record.get(), option.scale, list);
    record->state.raw_plane_list = list.data();
  }
  for (int calls = 0; calls < kMaxCalls; ++calls) {
    record->state.interrupt_request = option.interrupt ? 1 : 0;
    result = record.ReadBuffer(stream, option.io_type);
    if (result != JpegInterruptSuccess) return result;
  }
  ADD_FAILURE() << "an interrupted read did not come to an end";
  return result;
}

TEST(DamagedStreamOptionsTest, EveryReadOptionEndsWithACode) {
  int reads = 0;
  for (const auto& entry : std::filesystem::directory_iterator(testing::CorpusFolder() / "damaged")) {
    const std::vector<uint8_t> stream = testing::ReadFileBytes(entry.path());
    if (stream.empty()) continue;
    for (const ReadOption& option : kOptions) {
      for (const DibColour& colour : kColours) {
        SCOPED_TRACE(entry.path().filename().string() + ", " + option.name + ", dib_color " +
                     std::to_string(colour.dib_color));
        const int result = Read(stream, option, colour);
        ASSERT_TRUE(result <= JpegSuccess || result == JpegRoiSuccess) << "result " << result;
        ++reads;
      }
    }
  }
  EXPECT_GT(reads, 200 * 15 * 6);
}

}  // namespace
}  // namespace halvora::jpeg
