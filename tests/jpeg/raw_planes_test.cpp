// Reads into the raw plane list: each frame component's transformed samples
// in a 16-bit plane of MCUs-per-row x H x n columns (n samples a block side
// at the read's size), and nothing in the DIB. The samples inside the image
// must equal what the DIB routines write from the same blocks: a grey DIB
// takes the luminance alone, a replicating decode into Y, Cb, Cr bytes shows
// each chroma sample at its block's pixels, and transcodes that keep the
// coefficients (progressive, one scan per component) fill the planes alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include <halvora/jpeg.h>
#include "jpeg/interface/private_state.h"
#include "tests/jpeg/decode_support.h"
#include "tests/jpeg/record.h"
#include "tests/jpeg/transcode_cases.h"

namespace halvora::jpeg {
namespace {

using testing::DecodeIntoDib;
using testing::DibRequest;
using testing::DibResult;

struct Plane {
  int width = 0;
  int height = 0;
  int sample_columns = 0;  // the component's samples inside the image
  int sample_rows = 0;
  int block_columns = 0;  // the component's blocks that a single-component scan codes
  int block_rows = 0;
  std::vector<int16_t> samples;
  int At(int row, int column) const { return samples[static_cast<size_t>(row) * width + column]; }
};

struct RawRead {
  int result = 0;
  int components = 0;
  std::array<Plane, 4> planes;
};

int ImageReadType(int scale) {
  return scale == 2 ? BufferReadHalf : scale == 4 ? BufferReadQuarter : scale == 8 ? BufferReadEighth
                                                                                 : BufferReadImage;
}

int CeilDiv(int a, int b) { return (a + b - 1) / b; }

// A read at `scale` into planes sized from the frame the parameter read
// found; `dib`, when given, is handed in as the DIB too.
RawRead ReadPlanes(const std::vector<uint8_t>& stream, int scale, std::vector<uint8_t>* dib = nullptr) {
  testing::Record record;
  RawRead read;
  read.result = record.ReadBuffer(stream, BufferReadParams);
  if (read.result != JpegSuccess) return read;
  const PrivateState& state = Private(record.get());
  const JpegFrame& frame = state.markers.frame;
  const int n = 8 / scale;
  read.components = frame.component_count;
  std::array<int16_t*, 5> list{};
  for (int k = 0; k < frame.component_count; ++k) {
    const JpegComponent& component = frame.components[k];
    Plane& plane = read.planes[static_cast<size_t>(k)];
    plane.width = state.output.mcus_across * component.h * n;
    plane.height = state.output.mcus_down * component.v * n;
    const int columns = CeilDiv(frame.width * component.h, frame.h_max);
    const int rows = CeilDiv(frame.height * component.v, frame.v_max);
    plane.sample_columns = CeilDiv(columns, scale);
    plane.sample_rows = CeilDiv(rows, scale);
    plane.block_columns = CeilDiv(columns, 8);
    plane.block_rows = CeilDiv(rows, 8);
    // -1 is no sample: a position the read leaves alone shows.
    plane.samples.assign(static_cast<size_t>(plane.width) * static_cast<size_t>(plane.height), -1);
    list[static_cast<size_t>(k) + 1] = plane.samples.data();
  }
  record->state.raw_plane_list = list.data();
  if (dib != nullptr) record.UseDib(*dib, record->jpeg_width, record->jpeg_height, 3, JpegColorBgr);
  read.result = record.ReadBuffer(stream, ImageReadType(scale));
  return read;
}

std::vector<uint8_t> Stream(const std::string& name) {
  return testing::ReadFileBytes(testing::OracleFolder() / name);
}

// Every sample of the plane inside the image equals byte 0 of pixel
// (column x across, row x down) of `expected`, an image of `step` bytes a
// pixel and `width` pixels a line.
void ExpectPlaneShows(const Plane& plane, const std::vector<uint8_t>& expected, int width, int across, int down,
                      int step) {
  for (int row = 0; row < plane.sample_rows; ++row) {
    for (int column = 0; column < plane.sample_columns; ++column) {
      const size_t pixel = static_cast<size_t>(row * down) * static_cast<size_t>(width) + column * across;
      ASSERT_EQ(plane.At(row, column), expected[pixel * static_cast<size_t>(step)])
          << "sample " << column << "," << row;
    }
  }
}

DibResult GreyDecode(const std::vector<uint8_t>& stream, int scale) {
  DibRequest grey;
  grey.color = JpegColorGrey;
  grey.channels = 1;
  grey.scale = scale;
  return DecodeIntoDib(stream, grey);
}

class LuminancePlaneTest : public ::testing::TestWithParam<const char*> {};

// The grey DIB of a colour image takes its Y samples only; of a grey image,
// its one component.
TEST_P(LuminancePlaneTest, EqualsTheGreyDecode) {
  const std::vector<uint8_t> stream = Stream(GetParam());
  for (int scale : {1, 2, 4, 8}) {
    SCOPED_TRACE("scale " + std::to_string(scale));
    const RawRead read = ReadPlanes(stream, scale);
    ASSERT_EQ(read.result, JpegSuccess);
    const DibResult grey = GreyDecode(stream, scale);
    ASSERT_EQ(grey.result, JpegSuccess);
    ExpectPlaneShows(read.planes[0], grey.pixels, grey.line_bytes, 1, 1, 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Oracle, LuminancePlaneTest,
                         ::testing::Values("grey-33x65.jpg", "grey-33x65-progressive.jpg", "s420-33x65.jpg",
                                           "s422-17x17.jpg", "s444-64x48.jpg", "s420-64x48-progressive.jpg",
                                           "s24-33x65.jpg", "s411-33x65.jpg"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return testing::TestNameOf(info.param);
                         });

// The chroma planes hold the samples a replicating decode spreads over
// 2 x 1 (4:2:2) or 2 x 2 (4:2:0) pixels.
TEST(ChromaPlaneTest, EqualsTheReplicatedChroma) {
  for (const char* name : {"s420-33x65.jpg", "s422-33x65.jpg", "s420-7x9.jpg", "s422-64x48-progressive.jpg"}) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> stream = Stream(name);
    const RawRead read = ReadPlanes(stream, 1);
    ASSERT_EQ(read.result, JpegSuccess);
    DibRequest ycc;
    ycc.jpeg_color = ycc.color = JpegColorOther;
    const DibResult dib = DecodeIntoDib(stream, ycc);
    ASSERT_EQ(dib.result, JpegSuccess);
    const int down = std::string(name).rfind("s420", 0) == 0 ? 2 : 1;
    for (int k : {1, 2}) {
      SCOPED_TRACE("component " + std::to_string(k));
      std::vector<uint8_t> bytes(dib.pixels.begin() + k, dib.pixels.end());
      ExpectPlaneShows(read.planes[static_cast<size_t>(k)], bytes, dib.line_bytes / 3, 2, down, 3);
    }
  }
}

class TranscodePlaneTest : public ::testing::TestWithParam<testing::TranscodeCase> {};

// Over each component's blocks (the ones a single-component scan codes) the
// planes of a transcode equal its original's.
TEST_P(TranscodePlaneTest, EqualTheOriginalsPlanes) {
  const std::vector<uint8_t> stream = Stream(GetParam().stream);
  const std::vector<uint8_t> original = Stream(GetParam().original);
  for (int scale : {1, 2}) {
    SCOPED_TRACE("scale " + std::to_string(scale));
    const RawRead read = ReadPlanes(stream, scale);
    const RawRead expected = ReadPlanes(original, scale);
    ASSERT_EQ(read.result, JpegSuccess);
    ASSERT_EQ(expected.result, JpegSuccess);
    const int n = 8 / scale;
    for (int k = 0; k < read.components; ++k) {
      const Plane& plane = read.planes[static_cast<size_t>(k)];
      const Plane& want = expected.planes[static_cast<size_t>(k)];
      for (int row = 0; row < plane.block_rows * n; ++row) {
        for (int column = 0; column < plane.block_columns * n; ++column) {
          ASSERT_EQ(plane.At(row, column), want.At(row, column))
              << "component " << k << " sample " << column << "," << row;
        }
      }
    }
  }
}

std::vector<testing::TranscodeCase> TranscodeCases() {
  std::vector<testing::TranscodeCase> cases = testing::ReadTranscodeCases("single-scans.tsv", {});
  const std::vector<testing::TranscodeCase> progressive =
      testing::ReadTranscodeCases("progressive.tsv", {"s420-33x65", "s422-17x17", "grey-33x65", "corpus-cmyk"});
  cases.insert(cases.end(), progressive.begin(), progressive.end());
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Oracle, TranscodePlaneTest, ::testing::ValuesIn(TranscodeCases()),
                         [](const ::testing::TestParamInfo<testing::TranscodeCase>& info) {
                           return testing::TestNameOf(info.param.name);
                         });

// Nothing reaches a DIB the caller hands in as well, also for an image of
// single-component scans, whose DIB is otherwise converted at its end.
TEST(RawPlaneListTest, LeavesTheDibAlone) {
  for (const char* name : {"s420-33x65.jpg", "s420-33x65-progressive.jpg", "s420-33x65-each.jpg"}) {
    SCOPED_TRACE(name);
    std::vector<uint8_t> dib(33 * 65 * 3, 0x5A);
    ASSERT_EQ(ReadPlanes(Stream(name), 1, &dib).result, JpegSuccess);
    EXPECT_EQ(std::count(dib.begin(), dib.end(), 0x5A), static_cast<std::ptrdiff_t>(dib.size()));
  }
}

}  // namespace
}  // namespace halvora::jpeg
