// hjpeg's image files and its command line: what is written reads back
// unchanged, refusals name their reason, and the tool's answers (status,
// message, info lines, PNG pixels) are the ones a user relies on.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <halvora/jpeg.h>

#include "tools/image_files.h"

namespace halvora::tools {
namespace {

// 5 pixels wide, so that every channel count needs row padding in a
// bottom-up DIB; every byte of a row differs from its neighbours.
DibImage Pattern(int32_t channels, int32_t color, bool bottomUp) {
  DibImage image;
  ShapeDib(image, 5, 3, channels, color, bottomUp);
  for (int32_t row = 0; row < image.height; ++row) {
    for (int32_t i = 0; i < image.width * channels; ++i) ImageRow(image, row)[i] = static_cast<uint8_t>(row * 97 + i * 13);
  }
  return image;
}

// Equal size, channels and colour, and equal pixels row by row, whatever
// each image's row order and padding.
void ExpectSamePixels(const DibImage& expected, const DibImage& actual) {
  ASSERT_EQ(expected.width, actual.width);
  ASSERT_EQ(expected.height, actual.height);
  ASSERT_EQ(expected.channels, actual.channels);
  EXPECT_EQ(expected.color, actual.color);
  const size_t rowBytes = static_cast<size_t>(expected.width) * static_cast<size_t>(expected.channels);
  for (int32_t row = 0; row < expected.height; ++row) {
    const uint8_t* want = ImageRow(expected, row);
    const uint8_t* got = ImageRow(actual, row);
    ASSERT_EQ(std::vector<uint8_t>(want, want + rowBytes), std::vector<uint8_t>(got, got + rowBytes)) << "row " << row;
  }
}

TEST(ImageFiles, WrittenImagesReadBackUnchanged) {
  struct Case {
    const char* path;
    int32_t channels;
    int32_t color;
    bool bottom_up;
  };
  const Case cases[] = {
      {"round_trip.ppm", 3, JpegColorBgr, true},
      {"round_trip.pgm", 1, JpegColorGrey, false},
      {"round_trip_rgba.pam", 4, JpegColorRgba, false},
      {"round_trip.bmp", 3, JpegColorBgr, false},
      {"round_trip_grey.bmp", 1, JpegColorGrey, true},
#ifdef HALVORA_HAVE_PNG
      {"round_trip.png", 3, JpegColorBgr, true},
      {"round_trip_grey.png", 1, JpegColorGrey, false},
      {"round_trip_rgba.png", 4, JpegColorRgba, true},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const DibImage written = Pattern(c.channels, c.color, c.bottom_up);
    std::string error;
    ASSERT_TRUE(WriteImage(c.path, written, error)) << error;
    DibImage read;
    ASSERT_TRUE(ReadImage(c.path, read, error)) << error;
    EXPECT_TRUE(read.bottom_up);
    ExpectSamePixels(written, read);
  }
}

TEST(ImageFiles, RefusalsNameTheirReason) {
  const DibImage rgba = Pattern(4, JpegColorRgba, true);
  std::string error;
  EXPECT_FALSE(WriteImage("refused.tif", rgba, error));
  EXPECT_NE(error.find("unknown extension; use "), std::string::npos) << error;
  EXPECT_FALSE(WriteImage("refused.ppm", rgba, error));
  EXPECT_NE(error.find("a .ppm file holds 3 channels, this image has 4"), std::string::npos) << error;
  EXPECT_FALSE(WriteImage("refused.bmp", rgba, error));
  EXPECT_NE(error.find("a .bmp file holds 1 or 3 channels"), std::string::npos) << error;

  // A header that promises more pixels than the file holds.
  std::ofstream("truncated.ppm", std::ios::binary) << "P6\n5000 5000\n255\n" << std::string(100, 'x');
  DibImage image;
  EXPECT_FALSE(ReadImage("truncated.ppm", image, error));
  EXPECT_NE(error.find("file ends inside the image"), std::string::npos) << error;
  std::ofstream("not_an_image.ppm", std::ios::binary) << "GIF89a";
  EXPECT_FALSE(ReadImage("not_an_image.ppm", image, error));
  EXPECT_NE(error.find("not a "), std::string::npos) << error;
}

#ifndef _WIN32

std::string Corpus(const char* file) {
  const char* dir = std::getenv("HALVORA_TESTDATA_DIR");
  return std::string(dir != nullptr ? dir : "") + "/valid/" + file;
}

std::string FileText(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Answer {
  int status = -1;
  std::string out;
  std::string err;
};

Answer RunHjpeg(const std::string& arguments) {
  const std::string command = std::string(HALVORA_HJPEG_PROGRAM) + " " + arguments + " >hjpeg.out 2>hjpeg.err";
  const int status = std::system(command.c_str());
  Answer answer;
  answer.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  answer.out = FileText("hjpeg.out");
  answer.err = FileText("hjpeg.err");
  return answer;
}

TEST(HjpegCommand, AnswersWithStatusAndMessage) {
  struct Case {
    std::string arguments;
    int status;
    bool on_stdout;  // where `text` must appear
    const char* text;
  };
  const Case cases[] = {
      {"--help", 0, true, "usage: hjpeg info FILE"},
      {"-h", 0, true, "usage: hjpeg info FILE"},
      {"--version", 0, true, "hjpeg15.lib 1.51.13 [1.51.13.45]\n"},
      {"decode --bogus in.jpg out.ppm", 2, false, "usage: hjpeg info FILE"},
      {"decode " + Corpus("ltj-testorig.jpg") + " out.tif", 2, false, "cannot write out.tif: unknown extension; use "},
      {"decode " + Corpus("jd-cmyk-adobe0-444.jpg") + " out.ppm", 1, false,
       "cannot write out.ppm: a .ppm file holds 3 channels, this image has 4"},
      {"info " + Corpus("deb-testorig-progressive-dri1-420.jpg"), 0, true,
       "progressive: yes\nrestart_interval: 1\napp0: yes\napp14_transform: none\n"},
      {"info " + Corpus("jd-ycck-adobe2-dri63.jpg"), 0, true,
       "progressive: no\nrestart_interval: 63\napp0: no\napp14_transform: 2\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const Answer answer = RunHjpeg(c.arguments);
    EXPECT_EQ(answer.status, c.status) << answer.err;
    const std::string& stream = c.on_stdout ? answer.out : answer.err;
    EXPECT_NE(stream.find(c.text), std::string::npos) << stream;
  }
}

// What an encode writes, as the tool's own info reports it, for each of the
// encode options; and the refusals of what it cannot write.
TEST(HjpegCommand, EncodesAsItsOptionsSay) {
  ASSERT_EQ(RunHjpeg("decode " + Corpus("wuffs-peacock-420.jpg") + " source.ppm").status, 0);
  ASSERT_EQ(RunHjpeg("decode " + Corpus("jd-cmyk-adobe0-444.jpg") + " alpha.pam").status, 0);
  struct Case {
    std::string options;
    const char* info;
  };
  const Case cases[] = {
      {"source.ppm", "channels: 3\njpeg_color: 3\njpeg_subsampling: 1\nprogressive: no\nrestart_interval: 0\n"
                     "app0: yes\n"},
      {"source.ppm --quality 95 --subsampling 422 --restart 7",
       "jpeg_subsampling: 2\nprogressive: no\nrestart_interval: 7\n"},
      {"source.ppm --subsampling 444 --optimize", "jpeg_subsampling: 0\nprogressive: no\n"},
      {"source.ppm --grey --progressive", "channels: 1\njpeg_color: 4\njpeg_subsampling: 0\nprogressive: yes\n"},
      {"source.ppm --rgb", "channels: 3\njpeg_color: 1\njpeg_subsampling: 0\nprogressive: no\n"
                           "restart_interval: 0\napp0: no\napp14_transform: 0\n"},
      {"source.ppm --comment 'twelve bytes'", "comment_length: 12\n"},
      // Alpha is left out, whatever the stream's colours.
      {"alpha.pam", "channels: 3\njpeg_color: 3\n"},
      {"alpha.pam --grey", "channels: 1\njpeg_color: 4\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    const Answer encoded = RunHjpeg("encode " + c.options + " encoded.jpg");
    ASSERT_EQ(encoded.status, 0) << encoded.err;
    const Answer info = RunHjpeg("info encoded.jpg");
    EXPECT_NE(info.out.find(c.info), std::string::npos) << info.out;
  }
  const Case refusals[] = {
      {"encode source.ppm out.jpg --quality 0", "usage: hjpeg info FILE"},
      {"encode source.ppm out.jpg --grey --rgb", "usage: hjpeg info FILE"},
      {"encode missing.ppm out.jpg", "hjpeg: cannot read missing.ppm"},
      {"encode source.ppm no-such-folder/out.jpg", "error -10: Invalid file name"},
  };
  for (const Case& c : refusals) {
    SCOPED_TRACE(c.options);
    const Answer answer = RunHjpeg(c.options);
    EXPECT_NE(answer.status, 0);
    EXPECT_NE(answer.err.find(c.info), std::string::npos) << answer.err;
  }
}

#ifdef HALVORA_HAVE_PNG
// The PNG of a decode holds the pixels of its PPM, PGM or PAM twin: colour,
// grey, and the four components of a CMYK stream as RGBA.
TEST(HjpegCommand, PngHoldsTheDecodedPixels) {
  struct Case {
    const char* file;
    const char* twin;
    int32_t channels;
  };
  const Case cases[] = {
      {"wuffs-peacock-420.jpg", "twin.ppm", 3},
      {"wuffs-peacock-gray.jpg", "twin.pgm", 1},
      {"jd-cmyk-adobe0-444.jpg", "twin.pam", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_EQ(RunHjpeg("decode " + Corpus(c.file) + " decoded.png").status, 0);
    ASSERT_EQ(RunHjpeg("decode " + Corpus(c.file) + " " + c.twin).status, 0);
    DibImage png;
    DibImage twin;
    std::string error;
    ASSERT_TRUE(ReadImage("decoded.png", png, error)) << error;
    ASSERT_TRUE(ReadImage(c.twin, twin, error)) << error;
    EXPECT_EQ(png.channels, c.channels);
    ExpectSamePixels(twin, png);
  }
}
#endif

#endif  // _WIN32

}  // namespace
}  // namespace halvora::tools
