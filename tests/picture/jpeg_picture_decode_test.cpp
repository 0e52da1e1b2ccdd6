// The adapter on real streams of the corpus: formats, geometry, and colours
// compared with libjpeg-turbo where it is installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "picture/jpeg_picture.h"

#ifdef HALVORA_HAVE_TURBOJPEG
#include <turbojpeg.h>
#endif

namespace halvora::picture {
namespace {

std::vector<uint8_t> CorpusFile(const std::string& name, const char* subfolder = "valid") {
  const char* folder = std::getenv("HALVORA_TESTDATA_DIR");
  std::ifstream in(std::filesystem::path(folder != nullptr ? folder : "") / subfolder / name, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

struct Dib {
  std::unique_ptr<uint8_t[]> bits;
  BitmapInfoHeader header{};
  uint32_t stride() const { return ((header.biWidth * header.biBitCount / 8) + 3) & ~3u; }
  // Pixel (x, y) counted from the top of the picture; the rows are bottom-up.
  const uint8_t* At(int x, int y) const {
    return bits.get() + static_cast<size_t>(header.biHeight - 1 - y) * stride() + x * (header.biBitCount / 8);
  }
};

Dib Decode(const std::string& name) {
  const std::vector<uint8_t> stream = CorpusFile(name);
  Dib dib;
  EXPECT_FALSE(stream.empty()) << name;
  dib.bits = DecodeJpegToDib(stream.data(), static_cast<uint32_t>(stream.size()), &dib.header);
  EXPECT_NE(dib.bits, nullptr) << name;
  return dib;
}

// A page whose block would pass 0x7FFFFFFF bytes (the header's size is
// 32-bit), or the page budget, is refused before anything is allocated: the
// 65535 x 65535 frame would take 12.9 GB. The header is left as it was.
TEST(JpegPictureDecode, PagesPastTheLimitsAreRefusedBeforeAllocation) {
  const std::vector<uint8_t> stream = CorpusFile("jd-crash-65535x65535.jpg", "damaged");
  ASSERT_FALSE(stream.empty());
  BitmapInfoHeader header{};
  header.biWidth = 7;
  EXPECT_EQ(DecodeJpegToDib(stream.data(), static_cast<uint32_t>(stream.size()), &header), nullptr);
  EXPECT_EQ(header.biWidth, 7);
}

TEST(JpegPictureDecode, GreyGivesEqualBlueGreenRed) {
  const Dib dib = Decode("jd-gray-10x10.jpg");
  ASSERT_NE(dib.bits, nullptr);
  EXPECT_EQ(dib.header.biBitCount, 24);
  EXPECT_EQ(dib.header.biSizeImage, 32u * 10u);
  bool varied = false;
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      const uint8_t* p = dib.At(x, y);
      EXPECT_EQ(p[0], p[1]);
      EXPECT_EQ(p[1], p[2]);
      varied |= p[0] != dib.At(0, 0)[0];
    }
  }
  EXPECT_TRUE(varied) << "a picture, not a flat fill";
}

TEST(JpegPictureDecode, HeaderDescribesABottomUpBlockWithPaddedRows) {
  struct Case {
    const char* file;
    int32_t width, height;
    uint32_t size;
  };
  for (const Case& c : {Case{"jd-size-1x1-420.jpg", 1, 1, 4}, Case{"jd-size-5x5-420.jpg", 5, 5, 16 * 5},
                        Case{"jd-size-17x17-420.jpg", 17, 17, 52 * 17}}) {
    SCOPED_TRACE(c.file);
    const Dib dib = Decode(c.file);
    ASSERT_NE(dib.bits, nullptr);
    EXPECT_EQ(dib.header.biSize, 40u);
    EXPECT_EQ(dib.header.biWidth, c.width);
    EXPECT_EQ(dib.header.biHeight, c.height);
    EXPECT_EQ(dib.header.biPlanes, 1);
    EXPECT_EQ(dib.header.biBitCount, 24);
    EXPECT_EQ(dib.header.biCompression, 0u);
    EXPECT_EQ(dib.header.biSizeImage, c.size);
    EXPECT_EQ(dib.header.biClrUsed, 0u);
  }
}

#ifdef HALVORA_HAVE_TURBOJPEG

// libjpeg-turbo's decode (integer DCT, no fancy upsampling) in a pixel format.
std::vector<uint8_t> TurboDecode(const std::vector<uint8_t>& stream, int format, int& width, int& height) {
  tjhandle handle = tjInitDecompress();
  auto* data = const_cast<unsigned char*>(stream.data());
  int subsampling = 0, colorspace = 0;
  std::vector<uint8_t> pixels;
  if (tjDecompressHeader3(handle, data, stream.size(), &width, &height, &subsampling, &colorspace) == 0) {
    pixels.resize(static_cast<size_t>(width) * height * tjPixelSize[format]);
    if (tjDecompress2(handle, data, stream.size(), pixels.data(), width, 0, height, format,
                      TJFLAG_FASTUPSAMPLE | TJFLAG_ACCURATEDCT) != 0) {
      pixels.clear();
    }
  }
  tjDestroy(handle);
  return pixels;
}

// Largest difference between the adapter's pixels and `expected` (B, G, R per pixel).
int LargestDifference(const Dib& dib, const std::vector<uint8_t>& expectedBgr) {
  int largest = 0;
  const int bytes = dib.header.biBitCount / 8;
  for (int y = 0; y < dib.header.biHeight; ++y) {
    for (int x = 0; x < dib.header.biWidth; ++x) {
      const uint8_t* got = dib.At(x, y);
      const uint8_t* want = &expectedBgr[(static_cast<size_t>(y) * dib.header.biWidth + x) * 3];
      for (int c = 0; c < 3 && c < bytes; ++c) largest = std::max(largest, std::abs(got[c] - want[c]));
    }
  }
  return largest;
}

// An Adobe marker with transform 0 says the three components are R, G, B as
// they stand: reading them as YCbCr would show false colours.
TEST(JpegPictureDecode, RgbCodedStreamsKeepTheirColours) {
  const std::vector<uint8_t> stream = CorpusFile("jd-rgb-adobe0-444.jpg");
  int width = 0, height = 0;
  const std::vector<uint8_t> expected = TurboDecode(stream, TJPF_BGR, width, height);
  ASSERT_FALSE(expected.empty());
  const Dib dib = Decode("jd-rgb-adobe0-444.jpg");
  ASSERT_NE(dib.bits, nullptr);
  ASSERT_EQ(dib.header.biWidth, width);
  EXPECT_LE(LargestDifference(dib, expected), 4);
}

// Four components come out as blue-green-red with the colour multiplied by
// the fourth: for the inverted CMYK of Adobe files that is the usual
// conversion, R = C x K / 255 (and so on), with the adapter's / 256 rounding.
TEST(JpegPictureDecode, FourComponentPagesShowTheirCmykColours) {
  for (const char* file : {"jd-cmyk-adobe0-444.jpg", "jd-ycck-adobe2-dri63.jpg", "pil-ycck-adobe2-dri13.jpg"}) {
    SCOPED_TRACE(file);
    const std::vector<uint8_t> stream = CorpusFile(file);
    int width = 0, height = 0;
    const std::vector<uint8_t> cmyk = TurboDecode(stream, TJPF_CMYK, width, height);
    ASSERT_FALSE(cmyk.empty());
    std::vector<uint8_t> expected;
    for (size_t i = 0; i < cmyk.size(); i += 4) {
      const int k = cmyk[i + 3];
      for (int c : {2, 1, 0}) expected.push_back(static_cast<uint8_t>(cmyk[i + c] * k / 255));
    }
    const Dib dib = Decode(file);
    ASSERT_NE(dib.bits, nullptr);
    EXPECT_EQ(dib.header.biBitCount, 32);
    EXPECT_LE(LargestDifference(dib, expected), 6);
  }
}

#endif  // HALVORA_HAVE_TURBOJPEG

}  // namespace
}  // namespace halvora::picture
