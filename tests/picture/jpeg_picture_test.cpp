#include "picture/jpeg_picture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace halvora::picture {
namespace {

BitmapInfoHeader Untouched() {
  BitmapInfoHeader header{};
  std::memset(&header, 0xA5, sizeof header);
  return header;
}

bool SameBytes(const BitmapInfoHeader& a, const BitmapInfoHeader& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(DecodeJpegToDib, NoStreamNeverReachesTheCodec) {
  BitmapInfoHeader header = Untouched();
  const uint8_t byte = 0xFF;
  EXPECT_EQ(DecodeJpegToDib(&byte, 0, &header), nullptr);
  EXPECT_EQ(DecodeJpegToDib(nullptr, 10, &header), nullptr);
  EXPECT_TRUE(SameBytes(header, Untouched()));
}

TEST(DecodeJpegToDib, NotAJpegLeavesTheHeaderUntouched) {
  for (const std::vector<uint8_t>& stream :
       {std::vector<uint8_t>{'B', 'M', 0, 0}, std::vector<uint8_t>{0xFF, 0xD8}, std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xD9},
        std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 1, 2, 3}}) {
    BitmapInfoHeader header = Untouched();
    EXPECT_EQ(DecodeJpegToDib(stream.data(), static_cast<uint32_t>(stream.size()), &header), nullptr);
    EXPECT_TRUE(SameBytes(header, Untouched()));
  }
}

TEST(PremultiplyAlphaSwap, SwapsRedAndBlueAndScalesByAlpha) {
  // Two pixels per row (8 bytes, no padding needed), two rows.
  std::vector<uint8_t> block = {255, 0, 0, 255, 255, 0, 0, 128,  //
                                10, 20, 30, 0,   200, 100, 50, 255};
  PremultiplyAlphaSwap(block.data(), 2, 2);
  EXPECT_EQ(block, (std::vector<uint8_t>{0, 0, 254, 255, 0, 0, 127, 128,  //
                                         0, 0, 0, 0,      (50 * 255 + 1) >> 8, (100 * 255 + 1) >> 8,
                                         (200 * 255 + 1) >> 8, 255}));
}

TEST(PremultiplyAlphaSwap, FollowsRowsOfAnyWidth) {
  // Width 3: 12 bytes a row, already a multiple of 4; every row is treated.
  std::vector<uint8_t> block(3 * 4 * 3, 0);
  for (size_t i = 0; i < block.size(); i += 4) {
    block[i] = 255;
    block[i + 3] = 255;
  }
  PremultiplyAlphaSwap(block.data(), 3, 3);
  for (size_t i = 0; i < block.size(); i += 4) {
    EXPECT_EQ(block[i], 0) << i;
    EXPECT_EQ(block[i + 2], 254) << i;
  }
}

}  // namespace
}  // namespace halvora::picture
