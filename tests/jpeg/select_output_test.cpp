// The choice of the routine that writes each MCU, row by row of the table of
// layouts, colours and DIBs, and the refusals where no routine fits.
#include <gtest/gtest.h>

#include <vector>

#include "jpeg/kernels/kernel_table.h"
#include <halvora/jpeg.h>
#include "jpeg/interface/private_state.h"
#include "jpeg/output/select_output.h"
#include "tests/jpeg/record.h"
#include "tests/jpeg/stream_builder.h"

namespace halvora::jpeg {
namespace {

using testing::FrameComponent;
using testing::Record;
using testing::StreamBuilder;

enum Sampling { k444, k420, k422, k411, kGrey, k4444, k420Four, k422Four, kFourFirstOnly, kGreyH2V2, kTwo21, k321 };

// A stream of tables, the frame of `sampling` and a scan header.
void AddStream(StreamBuilder& builder, Sampling sampling) {
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
    case kGreyH2V2:
      builder.Sof(0, 16, 16, {{1, 2, 2, 0}});
      break;
    case kTwo21:
      builder.Sof(0, 16, 16, {{1, 2, 1, 0}, {2, 1, 1, 0}});
      break;
    case k321:
      builder.Sof(0, 16, 16, {{1, 3, 1, 0}, {2, 2, 1, 0}, {3, 1, 1, 0}});
      break;
  }
  builder.Sos({{1, 0, 0}});
}

std::vector<uint8_t> StreamWith(Sampling sampling) {
  StreamBuilder builder;
  AddStream(builder, sampling);
  return builder.bytes();
}

struct Row {
  Sampling sampling;
  int jpeg_color;
  int dib_color;
  int channels;
  int smooth;
  int path;     // output_path, or kGeneric
  int refusal;  // 0: a routine was chosen
};

// The path column's marks for the per-component routine, replicating or
// interpolating chroma.
constexpr int kGeneric = -1;
constexpr int kInterpolating = -2;

class SelectOutputTest : public ::testing::TestWithParam<Row> {};

TEST_P(SelectOutputTest, ChoosesThePathOrRefuses) {
  const Row& row = GetParam();
  Record record;
  ASSERT_EQ(record.ReadBuffer(StreamWith(row.sampling)), JpegSuccess);
  PrivateState& state = Private(record.get());
  state.read.work.jpeg_color = row.jpeg_color;
  state.read.work.dib_color = row.dib_color;
  state.read.work.dib_channels = row.channels;
  record->state.smooth_upsampling = row.smooth;
  ASSERT_EQ(SelectOutput(record.get()), JpegSuccess);
  const bool generic = row.path == kGeneric || row.path == kInterpolating;
  EXPECT_EQ(state.output.output_path, generic ? 0 : row.path);
  EXPECT_EQ(state.output.per_component_output, row.path == kInterpolating ? 2 : (generic ? 1 : 0));
  EXPECT_EQ(state.output.output_refusal, row.refusal);
  EXPECT_EQ(state.input.kernels->output_mcu != nullptr, row.refusal == 0 && !generic);
  if (row.path > 0) {
    EXPECT_EQ(state.input.kernels->output_mcu, state.input.kernels->output_paths[row.path - 1]);
  }
}

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
        Row{k411, kYcc, JpegColorBgr, 3, 0, kGeneric, 0}, Row{k411, kYcc, JpegColorRgba, 4, 0, kGeneric, 0},
        Row{kFourFirstOnly, JpegColorYCbCrAlpha, JpegColorRgba, 4, 0, kGeneric, 0},
        Row{k411, kYcc, JpegColorBgr, 3, 1, kGeneric, 0}, Row{k444, kYcc, JpegColorBgr, 3, 1, kGeneric, 0},
        // Interpolated chroma of 2x1 and 2x2 luminance.
        Row{k420, kYcc, JpegColorBgr, 3, 1, kInterpolating, 0}, Row{k422, kYcc, JpegColorRgba, 4, 1, kInterpolating, 0},
        // Factors the routine cannot expand by whole ratios.
        Row{k321, kYcc, JpegColorBgr, 3, 0, 0, JpegErrUnsupportedSubsampling},
        // Converted, not subsampled.
        Row{k444, kYcc, JpegColorRgb, 3, 0, 1, 0}, Row{k444, kYcc, JpegColorBgr, 3, 0, 2, 0},
        Row{k444, kYcc, JpegColorRgba, 4, 0, 7, 0}, Row{k4444, JpegColorYCbCrAlpha, JpegColorRgba, 4, 0, 10, 0},
        // Copied, subsampled.
        Row{k420, JpegColorOther, JpegColorOther, 3, 0, 16, 0}, Row{k422, JpegColorOther, JpegColorOther, 3, 0, 17, 0},
        Row{k420, kYcc, JpegColorGrey, 1, 0, kGeneric, 0},
        Row{k411, JpegColorOther, JpegColorOther, 3, 0, kGeneric, 0},
        Row{kTwo21, JpegColorOther, JpegColorOther, 3, 0, kGeneric, 0},
        // Copied whole.
        Row{kGrey, JpegColorGrey, JpegColorGrey, 1, 0, 0, 0}, Row{kGrey, JpegColorGrey, JpegColorBgr, 3, 0, 0, 0},
        Row{kGrey, JpegColorGrey, JpegColorRgba, 4, 0, 0, 0}, Row{k444, JpegColorRgb, JpegColorBgr, 3, 0, 0, 0},
        // A lone component is one block per MCU whatever its factors.
        Row{kGreyH2V2, JpegColorGrey, JpegColorBgr, 3, 0, 0, 0},
        Row{k444, JpegColorRgb, JpegColorRgb, 3, 0, 15, 0}, Row{k444, JpegColorRgb, JpegColorRgba, 4, 0, 13, 0},
        Row{k444, kYcc, JpegColorGrey, 1, 0, 0, 0}, Row{k4444, JpegColorRgba, JpegColorRgba, 4, 0, 14, 0},
        Row{k4444, JpegColorOther, JpegColorOther, 3, 0, 0, 0},
        Row{k422, kYcc, kYcc, 2, 0, 19, 0},
        // A YCbCr DIB waives upsampling, but the unsubsampled copies cannot
        // place subsampled blocks: the per-component routine replicates them.
        Row{k422, kYcc, kYcc, 3, 0, kGeneric, 0},
        // Conversion from YCbCr needs its three components.
        Row{kGrey, kYcc, JpegColorBgr, 3, 0, 0, JpegErrInvalidProperties}));

}  // namespace
}  // namespace halvora::jpeg
