// The choice of the routine that writes each MCU, row by row of the table of
// layouts, colours and DIBs, and the refusals where no routine fits.
#include <gtest/gtest.h>

#include <vector>

#include "jpeg/dispatch.h"
#include "jpeg/jpeg.h"
#include "jpeg/jpeg_state.h"
#include "jpeg/select_output.h"
#include "tests/jpeg/record.h"
#include "tests/jpeg/stream_builder.h"

namespace halvora::jpeg {
namespace {

using testing::FrameComponent;
using testing::Record;
using testing::StreamBuilder;

enum Sampling { k444, k420, k422, k411, kGrey, k4444, k420Four, k422Four, kFourFirstOnly };

std::vector<uint8_t> StreamWith(Sampling sampling) {
  StreamBuilder builder;
  builder.Soi().Dqt(0).Dht(0, 0).Dht(1, 0);
  switch (sampling) {
    case k444:
      builder.Sof(0, 16, 16, {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}});
      break;
    case k420:
      builder.Sof(0, 16, 16, {{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}});
      break;
    case k422:
      builder.Sof(0, 16, 16, {{1, 2, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}});
      break;
    case k411:
      builder.Sof(0, 16, 16, {{1, 4, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}});
      break;
    case kGrey:
      builder.Sof(0, 16, 16, {{1, 1, 1, 0}});
      break;
    case k4444:
      builder.Sof(0, 16, 16, {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}, {4, 1, 1, 0}});
      break;
    case k420Four:
      builder.Sof(0, 16, 16, {{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}, {4, 2, 2, 0}});
      break;
    case k422Four:
      builder.Sof(0, 16, 16, {{1, 2, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}, {4, 2, 1, 0}});
      break;
    case kFourFirstOnly:
      builder.Sof(0, 16, 16, {{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}, {4, 1, 1, 0}});
      break;
  }
  return builder.Sos({{1, 0, 0}}).bytes();
}

struct Row {
  Sampling sampling;
  int jpeg_color;
  int dib_color;
  int channels;
  int smooth;
  int path;     // output_path
  int refusal;  // 0: a routine was chosen
};

class SelectOutputTest : public ::testing::TestWithParam<Row> {};

TEST_P(SelectOutputTest, ChoosesThePathOrRefuses) {
  const Row& row = GetParam();
  Record record;
  ASSERT_EQ(record.ReadBuffer(StreamWith(row.sampling)), JpegSuccess);
  PrivateState& state = Private(record.get());
  state.work.jpeg_color = row.jpeg_color;
  state.work.dib_color = row.dib_color;
  state.work.dib_channels = row.channels;
  record->state.smooth_upsampling = row.smooth;
  ASSERT_EQ(SelectOutput(record.get()), JpegSuccess);
  EXPECT_EQ(state.output_path, row.path);
  EXPECT_EQ(state.output_refusal, row.refusal);
  EXPECT_EQ(state.stream.kernels->output_mcu != nullptr, row.refusal == 0);
  if (row.path != 0) {
    EXPECT_EQ(state.stream.kernels->output_mcu, state.stream.kernels->output_paths[row.path - 1]);
  }
}

constexpr int kNo = JpegErrNotSupported;
constexpr int kYcc = JpegColorYCbCr;

INSTANTIATE_TEST_SUITE_P(
    Table, SelectOutputTest,
    ::testing::Values(
        // Converted to colour, subsampled.
        Row{k420, kYcc, JpegColorRgb, 3, 0, 3, 0}, Row{k420, kYcc, JpegColorBgr, 3, 0, 4, 0},
        Row{k422, kYcc, JpegColorRgb, 3, 0, 5, 0}, Row{k422, kYcc, JpegColorBgr, 3, 0, 6, 0},
        Row{k420, kYcc, JpegColorRgba, 4, 0, 8, 0}, Row{k422, kYcc, JpegColorRgba, 4, 0, 9, 0},
        Row{k420Four, JpegColorYCbCrAlpha, JpegColorRgba, 4, 0, 11, 0},
        Row{k422Four, JpegColorYCbCrAlpha, JpegColorRgba, 4, 0, 12, 0},
        // ... and every layout left to the per-component routine.
        Row{k411, kYcc, JpegColorBgr, 3, 0, 0, kNo}, Row{k411, kYcc, JpegColorRgba, 4, 0, 0, kNo},
        Row{kFourFirstOnly, JpegColorYCbCrAlpha, JpegColorRgba, 4, 0, 0, kNo},
        Row{k420, kYcc, JpegColorBgr, 3, 1, 0, kNo},
        // Converted, not subsampled.
        Row{k444, kYcc, JpegColorRgb, 3, 0, 1, 0}, Row{k444, kYcc, JpegColorBgr, 3, 0, 2, 0},
        Row{k444, kYcc, JpegColorRgba, 4, 0, 7, 0}, Row{k4444, JpegColorYCbCrAlpha, JpegColorRgba, 4, 0, 10, 0},
        // Copied, subsampled.
        Row{k420, JpegColorOther, JpegColorOther, 3, 0, 16, 0}, Row{k422, JpegColorOther, JpegColorOther, 3, 0, 17, 0},
        Row{k420, kYcc, JpegColorGrey, 1, 0, 0, kNo}, Row{k411, JpegColorOther, JpegColorOther, 3, 0, 0, kNo},
        // Copied whole.
        Row{kGrey, JpegColorGrey, JpegColorGrey, 1, 0, 0, 0}, Row{kGrey, JpegColorGrey, JpegColorBgr, 3, 0, 0, 0},
        Row{kGrey, JpegColorGrey, JpegColorRgba, 4, 0, 0, 0}, Row{k444, JpegColorRgb, JpegColorBgr, 3, 0, 0, 0},
        Row{k444, JpegColorRgb, JpegColorRgb, 3, 0, 15, 0}, Row{k444, JpegColorRgb, JpegColorRgba, 4, 0, 13, 0},
        Row{k444, kYcc, JpegColorGrey, 1, 0, 0, 0}, Row{k4444, JpegColorRgba, JpegColorRgba, 4, 0, 14, 0},
        Row{k4444, JpegColorOther, JpegColorOther, 3, 0, 0, 0},
        Row{k422, kYcc, kYcc, 2, 0, 19, 0},
        // A YCbCr DIB waives upsampling, but the unsubsampled copies cannot
        // place subsampled blocks.
        Row{k422, kYcc, kYcc, 3, 0, 0, kNo},
        // Conversion from YCbCr needs its three components.
        Row{kGrey, kYcc, JpegColorBgr, 3, 0, 0, JpegErrInvalidProperties}));

}  // namespace
}  // namespace halvora::jpeg
