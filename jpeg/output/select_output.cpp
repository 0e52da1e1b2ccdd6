#include "jpeg/output/select_output.h"

#include <algorithm>

#include "jpeg/output/component_format.h"
#include "jpeg/kernels/kernel_table.h"
#include "jpeg/interface/private_state.h"
#include "jpeg/kernels/color_output.h"
#include "jpeg/output/read_size.h"
#include "jpeg/output/smooth_output.h"

namespace halvora::jpeg {

namespace {

bool NeedsColorConversion(const WorkingFields& work) {
  switch (work.jpeg_color) {
    case JpegColorRgb:
    case JpegColorGrey:
    case JpegColorRgba:
    case JpegColorOther:
      return false;
    default:
      return work.dib_color != JpegColorYCbCr && work.dib_color != JpegColorGrey;
  }
}

bool IsSampled(const JpegComponent& component, int h, int v) { return component.h == h && component.v == v; }

// The packed YCbCr DIB holds 4:2:2 data only.
bool FitsPackedYCbCr(const WorkingFields& work, const JpegFrame& frame) {
  if (frame.component_count != 3 || work.jpeg_color != JpegColorYCbCr || work.dib_color != JpegColorYCbCr) {
    return true;
  }
  return SubsamplingCodeOf(frame) == JpegSubsampling422;
}

// The plain copy in each of its channel orders, in the form of an output routine.
template <int kComponents, ChannelOrder kOrder>
void CopyChannels(const McuBuffer& mcu, const McuTarget& target) {
  CopyMcuChannelsPlain(mcu, target, kComponents, kOrder);
}

template <ChannelOrder kOrder>
McuOutputKernel PlainCopyWithOrder(int components) {
  switch (components) {
    case 1:
      return CopyChannels<1, kOrder>;
    case 2:
      return CopyChannels<2, kOrder>;
    case 3:
      return CopyChannels<3, kOrder>;
    default:
      return CopyChannels<4, kOrder>;
  }
}

McuOutputKernel PlainCopy(const WorkingFields& work, int components) {
  if (work.jpeg_color == JpegColorGrey) return PlainCopyWithOrder<ChannelOrder::kGreyToColour>(components);
  if (work.dib_color == JpegColorBgr && work.jpeg_color == JpegColorRgb) {
    return PlainCopyWithOrder<ChannelOrder::kReversed>(components);
  }
  return PlainCopyWithOrder<ChannelOrder::kInOrder>(components);
}

enum class Layout { k444, k420, k422, kOther };

// The fused routines by the frame's sampling code: 4:2:0 and 4:2:2 name the
// first component's factors over 1x1 chroma (a fourth component sampled like
// the first).
Layout LayoutOf(const JpegFrame& frame) {
  switch (SubsamplingCodeOf(frame)) {
    case JpegSubsamplingNone:
      return Layout::k444;
    case JpegSubsampling420:
    case JpegSubsampling420Four:
      return Layout::k420;
    case JpegSubsampling422:
    case JpegSubsampling422Four:
      return Layout::k422;
    default:
      return Layout::kOther;
  }
}

// What the output set-up chose: a routine, its path number, or why the image
// cannot be written.
struct OutputChoice {
  McuOutputKernel routine = nullptr;
  int path = 0;
  int refusal = JpegErrNotSupported;
  bool perComponent = false;
  bool interpolated = false;  // with interpolated chroma
};

OutputChoice Fused(const KernelTable& kernels, int path) { return {kernels.output_paths[path - 1], path, 0}; }
OutputChoice Routine(McuOutputKernel routine) { return {routine, 0, 0}; }
OutputChoice PerComponent() { return {nullptr, 0, 0, true}; }
OutputChoice Interpolating() { return {nullptr, 0, 0, true, true}; }
OutputChoice Refused(int code) { return {nullptr, 0, code}; }
// Combinations no routine covers.
OutputChoice Uncovered() { return {}; }

// YCbCr converted to colour, with chroma subsampled.
OutputChoice ConvertedSubsampled(const KernelTable& kernels, const WorkingFields& work, int n, Layout layout) {
  const int ch = work.dib_channels;
  const int dib = work.dib_color;
  if (n == 3 && ch == 3 && (dib == JpegColorRgb || dib == JpegColorBgr)) {
    if (layout == Layout::k420) return Fused(kernels, dib == JpegColorRgb ? 3 : 4);
    if (layout == Layout::k422) return Fused(kernels, dib == JpegColorRgb ? 5 : 6);
    return PerComponent();
  }
  if (n == 3 && ch == 4 && dib == JpegColorRgba) {
    if (layout == Layout::k420) return Fused(kernels, 8);
    if (layout == Layout::k422) return Fused(kernels, 9);
    return PerComponent();
  }
  if (n == 4 && ch == 4 && dib == JpegColorRgba) {
    if (layout == Layout::k422) return Fused(kernels, 12);
    if (layout == Layout::k420) return Fused(kernels, 11);
    return PerComponent();
  }
  return Uncovered();
}

// Subsampled components copied without conversion.
OutputChoice CopiedSubsampled(const KernelTable& kernels, const WorkingFields& work, int n, Layout layout) {
  const int ch = work.dib_channels;
  if (n == 3 && ch == 3 && work.dib_color != JpegColorBgr) {
    if (layout == Layout::k420) return Fused(kernels, 16);
    if (layout == Layout::k422) return Fused(kernels, 17);
  }
  if (n == 3 && (ch == 1 || ch == 3 || ch == 4)) return PerComponent();
  if (n == 4 && (ch == 3 || ch == 4)) return PerComponent();
  // Two components have no row of their own; each goes into its byte.
  if (n == 2) return PerComponent();
  return Uncovered();
}

// Components copied without conversion and without upsampling. The packed
// YCbCr DIB takes 4:2:2 data; every other routine here writes 8x8 MCUs of
// unsubsampled blocks, so a subsampled frame (whose upsampling a YCbCr DIB
// waives) is not sent to one.
OutputChoice CopiedWhole(const KernelTable& kernels, const WorkingFields& work, int n, Layout layout) {
  const int ch = work.dib_channels;
  const int dib = work.dib_color;
  if (n == 3 && ch == 2) {
    return dib == JpegColorYCbCr && layout == Layout::k422 ? Fused(kernels, 19) : Uncovered();
  }
  if (layout != Layout::k444) return PerComponent();
  switch (n) {
    case 1:
      if (ch == 1) return Routine(kernels.grey_copy);
      if (work.jpeg_color == JpegColorGrey && (ch == 3 || ch == 4)) return Routine(kernels.grey_to_colour);
      return Routine(PlainCopy(work, n));
    case 2:
      return Routine(PlainCopy(work, n));
    case 3:
      if (ch == 3) return dib == JpegColorBgr ? Routine(PlainCopy(work, n)) : Fused(kernels, 15);
      if (ch == 4) return dib == JpegColorRgba ? Fused(kernels, 13) : Routine(PlainCopy(work, n));
      return ch == 1 ? Routine(PlainCopy(work, n)) : Uncovered();
    case 4:
      if (ch == 3) return Routine(PlainCopy(work, n));
      return ch == 4 ? Fused(kernels, 14) : Uncovered();
    default:
      return Uncovered();
  }
}

// YCbCr converted to colour, no component subsampled.
OutputChoice ConvertedWhole(const KernelTable& kernels, const WorkingFields& work, int n) {
  const int ch = work.dib_channels;
  const int dib = work.dib_color;
  if (n == 3 && ch == 3 && dib == JpegColorRgb) return Fused(kernels, 1);
  if (n == 3 && ch == 3 && dib == JpegColorBgr) return Fused(kernels, 2);
  if (n == 3 && ch == 4 && dib == JpegColorRgba) return Fused(kernels, 7);
  if (n == 4 && ch == 4 && dib == JpegColorRgba) return Fused(kernels, 10);
  return Uncovered();
}

// The layouts whose chroma the smooth upsampling interpolates: luminance
// 2x1 or 2x2 over 1x1 chroma.
bool InterpolatesChroma(const JpegFrame& frame) {
  if (frame.h_max != 2 || frame.v_max > 2 || frame.component_count < 3) return false;
  for (int i = 1; i < frame.component_count; ++i) {
    if (!IsSampled(frame.components[i], 1, 1)) return false;
  }
  return true;
}

OutputChoice ChooseOutput(const JPEG_PROPERTIES& record, const PrivateState& state) {
  const WorkingFields& work = state.read.work;
  const KernelTable& kernels = *state.input.kernels;
  // Colour from YCbCr needs the three colour components.
  if (work.color_conversion_needed != 0 && state.markers.frame.component_count < 3) {
    return {nullptr, 0, JpegErrInvalidProperties};
  }
  // Single-component scans and interpolated chroma belong to the
  // per-component routine, block by block. With smoothing asked for, so does
  // every frame whose chroma is not interpolated (its colour comes from the
  // per-component form of the conversion); a grey frame has neither chroma
  // nor conversion and takes its usual routine.
  const JpegFrame& frame = state.markers.frame;
  if (record.state.smooth_upsampling != 0 && frame.component_count > 1) {
    const bool interpolates = InterpolatesChroma(frame) && InterpolatesAtScale(frame, OutputScale(state.read.io_type));
    return interpolates ? Interpolating() : PerComponent();
  }
  if (state.progression.non_interleaved != 0) return PerComponent();
  const int n = frame.component_count;
  const Layout layout = LayoutOf(frame);
  if (work.color_conversion_needed != 0) {
    return work.upsampling_needed != 0 ? ConvertedSubsampled(kernels, work, n, layout)
                                       : ConvertedWhole(kernels, work, n);
  }
  return work.upsampling_needed != 0 ? CopiedSubsampled(kernels, work, n, layout)
                                     : CopiedWhole(kernels, work, n, layout);
}

// The per-component routine expands components by whole factors only: a
// layout with a factor that does not divide the largest one is refused.
OutputChoice UsableOrRefused(const PrivateState& state, const OutputChoice& choice) {
  if (!choice.perComponent) return choice;
  const ComponentOutputFormat format = MakeComponentOutputFormat(state, FormatComponents::kFrame);
  return IsUsableComponentFormat(format) ? choice : Refused(JpegErrUnsupportedSubsampling);
}

// The component of a scan that codes one, as a frame index; -1 for a scan
// of several components (or none known yet), whose MCUs are interleaved.
int SingleScanComponent(const PrivateState& state) {
  if (state.progression.scan == nullptr || state.progression.scan->components == nullptr ||
      state.progression.scan->ns != 1)
    return -1;
  const int index = state.progression.scan->components[0].frame_index;
  return index >= 0 && index < state.markers.frame.component_count ? index : -1;
}

// A lone component is coded one block per MCU whatever its factors say, so
// it is placed as a 1x1 component.
void TreatLoneComponentAsUnsampled(JpegFrame& frame) {
  if (frame.component_count != 1) return;
  frame.components[0].h = 1;
  frame.components[0].v = 1;
}

}  // namespace

int SelectOutput(JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  WorkingFields& work = state.read.work;
  JpegFrame& frame = state.markers.frame;
  // A refused frame header leaves no components: there is no MCU to size.
  if (frame.component_count < 1 || frame.component_count > kMaxComponents) return JpegErrComp;
  TreatLoneComponentAsUnsampled(frame);

  work.color_conversion_needed = NeedsColorConversion(work) ? 1 : 0;
  frame.h_max = 0;
  frame.v_max = 0;
  bool subsampled = false;
  for (int i = 0; i < frame.component_count; ++i) {
    const JpegComponent& component = frame.components[i];
    frame.h_max = std::max(frame.h_max, component.h);
    frame.v_max = std::max(frame.v_max, component.v);
    subsampled = subsampled || !IsSampled(component, 1, 1);
  }
  // The components JpegInit provides are all zero until a frame header fills them.
  if (frame.h_max == 0 || frame.v_max == 0) return JpegErrComp;
  work.upsampling_needed = subsampled && work.dib_color != JpegColorYCbCr ? 1 : 0;

  const int interleavedWidth = 8 * frame.h_max;
  const int interleavedHeight = 8 * frame.v_max;
  // A block of a single-component scan covers its component's replicated
  // size: 8 Hmax/H x 8 Vmax/V pixels.
  const int single = state.progression.non_interleaved != 0 ? SingleScanComponent(state) : -1;
  frame.mcu_width = single >= 0 ? 8 * frame.h_max / frame.components[single].h : interleavedWidth;
  frame.mcu_height = single >= 0 ? 8 * frame.v_max / frame.components[single].v : interleavedHeight;
  state.output.mcus_across = (frame.width + interleavedWidth - 1) / interleavedWidth;
  state.output.mcus_down = (frame.height + interleavedHeight - 1) / interleavedHeight;
  frame.mcus_per_row = state.output.mcus_across;
  frame.mcu_count = state.output.mcus_across * state.output.mcus_down;
  state.output.output_path = 0;

  if (!FitsPackedYCbCr(work, frame)) return JpegErrInvalidProperties;

  // A combination without a routine leaves none in place: the decoder
  // refuses it rather than write through a routine chosen for another image.
  const OutputChoice choice = UsableOrRefused(state, ChooseOutput(record, state));
  state.input.kernels->output_mcu = choice.routine;
  state.output.output_path = choice.path;
  state.output.per_component_output = choice.interpolated ? 2 : (choice.perComponent ? 1 : 0);
  state.output.output_refusal = choice.routine != nullptr || choice.perComponent ? JpegSuccess : choice.refusal;
  return JpegSuccess;
}

}  // namespace halvora::jpeg
