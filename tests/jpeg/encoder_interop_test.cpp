// What libjpeg-turbo's tools make of the streams the encoder writes, where
// they are installed (scripts/install-packages.sh installs them; the
// Windows test programs cannot start them): djpeg decodes every stream
// without a warning, jpegtran rewrites it losslessly, djpeg and our decoder
// agree within 3, and at equal quality cjpeg writes the same tables.
#include <gtest/gtest.h>

#ifndef _WIN32

#include <halvora/jpeg.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/jpeg/decode_support.h"
#include "tests/jpeg/encode_support.h"
#include "tests/support/scratch_path.h"

namespace halvora::jpeg {
namespace {

namespace fs = std::filesystem;
using testing::WriteRequest;

bool ToolsInstalled() { return std::system("command -v djpeg jpegtran cjpeg >/dev/null 2>&1") == 0; }

fs::path Scratch(const std::string& name) { return test_support::ScratchPath("interop-" + name); }

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// Runs a shell command; true when it succeeds and writes nothing to
// standard error (a warning of the tools' goes there).
bool RunQuietly(const std::string& command) {
  const fs::path errors = Scratch("stderr.txt");
  const int status = std::system((command + " 2>" + errors.string()).c_str());
  return status == 0 && fs::file_size(errors) == 0;
}

// The payloads of every `code` segment before the first scan, one after the
// other: the tables, however an encoder groups them into segments.
std::vector<uint8_t> Payloads(const std::vector<uint8_t>& stream, uint8_t code) {
  std::vector<uint8_t> payloads;
  for (size_t i = 2; i + 4 <= stream.size() && stream[i + 1] != 0xDA;) {
    const size_t length = (stream[i + 2] << 8) | stream[i + 3];
    if (stream[i + 1] == code) payloads.insert(payloads.end(), stream.begin() + i + 4, stream.begin() + i + 2 + length);
    i += 2 + length;
  }
  return payloads;
}

WriteRequest Request(int dibColor, int dibChannels, int jpegColor, int channels, int subsampling) {
  WriteRequest request = testing::RequestFor(dibColor, dibChannels, jpegColor, channels, subsampling);
  request.quality = 90;
  request.comment = "interop";
  return request;
}

std::vector<WriteRequest> Streams() {
  std::vector<WriteRequest> streams = {
      Request(JpegColorGrey, 1, JpegColorGrey, 1, 0),      Request(JpegColorBgr, 3, JpegColorYCbCr, 3, 0),
      Request(JpegColorBgr, 3, JpegColorYCbCr, 3, 2),      Request(JpegColorBgr, 3, JpegColorYCbCr, 3, 1),
      Request(JpegColorRgb, 3, JpegColorRgb, 3, 0),        Request(JpegColorRgba, 4, JpegColorRgba, 4, 0),
      Request(JpegColorRgba, 4, JpegColorYCbCrAlpha, 4, 3)};
  for (int i = 0; i < 3; ++i) {
    WriteRequest request = Request(JpegColorBgr, 3, JpegColorYCbCr, 3, 1 + i % 2);
    request.progressive = i != 1;
    request.optimize = i == 1;
    request.restart_interval = i * 2;
    streams.push_back(request);
  }
  WriteRequest greyProgressive = streams[0];
  greyProgressive.progressive = true;
  streams.push_back(greyProgressive);
  return streams;
}

TEST(InteropTest, LibjpegTurboReadsAndRewritesEveryStream) {
  if (!ToolsInstalled()) GTEST_SKIP() << "djpeg, jpegtran and cjpeg are not installed";
  const fs::path stream = Scratch("stream.jpg"), theirs = Scratch("theirs.pnm"), rewritten = Scratch("rewritten.jpg"),
                 again = Scratch("again.pnm");
  for (const WriteRequest& request : Streams()) {
    SCOPED_TRACE("colour " + std::to_string(request.jpeg_color) + " sampling " + std::to_string(request.subsampling) +
                 (request.progressive ? " progressive" : "") + (request.optimize ? " optimised" : ""));
    testing::Dib dib = testing::MakeDib(request, 61, 35);
    std::vector<uint8_t> bytes;
    ASSERT_EQ(testing::WriteStream(request, dib, bytes), JpegSuccess);
    WriteFile(stream, bytes);
    // Chroma replicated, as our decoder replicates it by default.
    ASSERT_TRUE(RunQuietly("djpeg -nosmooth -pnm -outfile " + theirs.string() + " " + stream.string()));
    ASSERT_TRUE(RunQuietly("jpegtran -copy all -outfile " + rewritten.string() + " " + stream.string()));
    ASSERT_TRUE(RunQuietly("djpeg -nosmooth -pnm -outfile " + again.string() + " " + rewritten.string()));
    EXPECT_EQ(testing::ReadFileBytes(theirs), testing::ReadFileBytes(again)) << "jpegtran changed the image";
    if (request.channels == 4) continue;  // djpeg shows four components as converted CMYK
    testing::Pnm pnm;
    ASSERT_TRUE(testing::ReadPnm(theirs, pnm));
    testing::DibRequest read;
    read.color = request.channels == 1 ? JpegColorGrey : JpegColorRgb;
    read.channels = request.channels;
    const testing::DibResult ours = testing::DecodeIntoDib(bytes, read);
    ASSERT_EQ(ours.result, JpegSuccess);
    EXPECT_LE(testing::MaxDifference(testing::ImageSamples(ours, read), pnm.samples), 3);
  }
}

// The quality scaling and the example tables are those every common
// encoder uses, so streams at equal quality carry equal tables.
TEST(InteropTest, TablesEqualCjpegsAtEveryQuality) {
  if (!ToolsInstalled()) GTEST_SKIP() << "djpeg, jpegtran and cjpeg are not installed";
  WriteRequest request = Request(JpegColorRgb, 3, JpegColorYCbCr, 3, 1);
  testing::Dib dib = testing::MakeDib(request, 16, 16);
  const fs::path source = Scratch("source.ppm"), theirs = Scratch("cjpeg.jpg");
  std::ofstream(source, std::ios::binary) << "P6\n16 16\n255\n";
  std::ofstream(source, std::ios::binary | std::ios::app)
      .write(reinterpret_cast<const char*>(dib.bytes.data()), dib.bytes.size());
  for (int quality : {1, 10, 25, 50, 75, 90, 99, 100}) {
    SCOPED_TRACE("quality " + std::to_string(quality));
    request.quality = quality;
    std::vector<uint8_t> ours;
    ASSERT_EQ(testing::WriteStream(request, dib, ours, BufferWriteHeader), JpegSuccess);
    // Entries stay within 8 bits (-baseline, which cjpeg otherwise leaves
    // to below quality 25); cjpeg warns that quality 1's are coarse.
    const std::string cjpeg = "cjpeg -baseline -quality " + std::to_string(quality) + " -outfile " + theirs.string();
    ASSERT_EQ(std::system((cjpeg + " " + source.string() + " 2>/dev/null").c_str()), 0);
    const std::vector<uint8_t> written = testing::ReadFileBytes(theirs);
    EXPECT_EQ(Payloads(ours, 0xDB), Payloads(written, 0xDB));
    EXPECT_EQ(Payloads(ours, 0xC4), Payloads(written, 0xC4));
  }
}

}  // namespace
}  // namespace halvora::jpeg

#endif  // _WIN32
