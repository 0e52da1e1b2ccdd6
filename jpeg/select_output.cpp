#include "jpeg/select_output.h"

#include <algorithm>

#include "jpeg/dispatch.h"
#include "jpeg/jpeg_state.h"
#include "jpeg/kernels/color_output.h"

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
  return IsSampled(frame.components[0], 2, 1) && IsSampled(frame.components[1], 1, 1) &&
         IsSampled(frame.components[2], 1, 1);
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

// 4:2:0 and 4:2:2 name the first component's factors over 1x1 chroma; a
// fourth component must be sampled like the first.
Layout LayoutOf(const JpegFrame& frame) {
  const JpegComponent* c = frame.components;
  bool allSingle = true;
  for (int i = 0; i < frame.component_count; ++i) allSingle = allSingle && IsSampled(c[i], 1, 1);
  if (allSingle) return Layout::k444;
  if (frame.component_count < 3 || !IsSampled(c[1], 1, 1) || !IsSampled(c[2], 1, 1)) return Layout::kOther;
  if (frame.component_count == 4 && (c[3].h != c[0].h || c[3].v != c[0].v)) return Layout::kOther;
  if (IsSampled(c[0], 2, 2)) return Layout::k420;
  if (IsSampled(c[0], 2, 1)) return Layout::k422;
  return Layout::kOther;
}

// What the output set-up chose: a routine, its path number, or why the image
// cannot be written.
struct OutputChoice {
  McuOutputKernel routine = nullptr;
  int path = 0;
  int refusal = JpegErrNotSupported;
};

OutputChoice Fused(const KernelTable& kernels, int path) { return {kernels.output_paths[path - 1], path, 0}; }
OutputChoice Routine(McuOutputKernel routine) { return {routine, 0, 0}; }
// Layouts that go to the per-component routine, which is not part of the codec yet.
OutputChoice PerComponent() { return {}; }
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
      return ch == 1 ? Routine(kernels.grey_copy) : Routine(PlainCopy(work, n));
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

OutputChoice ChooseOutput(const JPEG_PROPERTIES& record, const PrivateState& state) {
  const WorkingFields& work = state.work;
  const KernelTable& kernels = *state.stream.kernels;
  // Colour from YCbCr needs the three colour components.
  if (work.color_conversion_needed != 0 && state.frame.component_count < 3) {
    return {nullptr, 0, JpegErrInvalidProperties};
  }
  // Single-component scans and interpolated chroma belong to the
  // per-component routine.
  if (state.non_interleaved != 0 || record.state.smooth_upsampling != 0) return PerComponent();
  const int n = state.frame.component_count;
  const Layout layout = LayoutOf(state.frame);
  if (work.color_conversion_needed != 0) {
    return work.upsampling_needed != 0 ? ConvertedSubsampled(kernels, work, n, layout)
                                       : ConvertedWhole(kernels, work, n);
  }
  return work.upsampling_needed != 0 ? CopiedSubsampled(kernels, work, n, layout)
                                     : CopiedWhole(kernels, work, n, layout);
}

}  // namespace

int SelectOutput(JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  WorkingFields& work = state.work;
  JpegFrame& frame = state.frame;
  // A refused frame header leaves no components: there is no MCU to size.
  if (frame.component_count < 1 || frame.component_count > kMaxComponents) return JpegErrComp;

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
  frame.mcu_width = state.non_interleaved ? 8 : interleavedWidth;
  frame.mcu_height = state.non_interleaved ? 8 : interleavedHeight;
  state.mcus_across = (frame.width + interleavedWidth - 1) / interleavedWidth;
  state.mcus_down = (frame.height + interleavedHeight - 1) / interleavedHeight;
  frame.mcus_per_row = state.mcus_across;
  frame.mcu_count = state.mcus_across * state.mcus_down;
  state.output_path = 0;

  if (!FitsPackedYCbCr(work, frame)) return JpegErrInvalidProperties;

  // A combination without a routine leaves none in place: the decoder
  // refuses it rather than write through a routine chosen for another image.
  const OutputChoice choice = ChooseOutput(record, state);
  state.stream.kernels->output_mcu = choice.routine;
  state.output_path = choice.path;
  state.output_refusal = choice.routine != nullptr ? JpegSuccess : choice.refusal;
  return JpegSuccess;
}

}  // namespace halvora::jpeg
