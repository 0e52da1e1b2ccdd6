#include "jpeg/encoder/sample_conversion.h"

#include <halvora/jpeg.h>

#include <cstring>
#include <initializer_list>

namespace halvora::jpeg {

namespace {

ColourPlan Converted(DibConversion conversion, ColourMarker marker, int32_t transform = 0) {
  return ColourPlan{true, conversion, {}, marker, transform};
}

ColourPlan Copied(std::initializer_list<int8_t> sources, ColourMarker marker) {
  ColourPlan plan{false, DibConversion::kBgrToYcc, {-1, -1, -1, -1}, marker, 0};
  int k = 0;
  for (int8_t source : sources) plan.sources[k++] = source;
  return plan;
}

bool IsSubsampled(const FrameLayout& frame, const EncodedComponent& component) {
  return component.h != frame.h_max || component.v != frame.v_max;
}

// Where line `line` of the MCU row's samples is made for component k.
uint8_t* LineOf(const McuRowSamples& samples, int k, int32_t line) {
  if (samples.full[k] != nullptr) return samples.full[k] + static_cast<ptrdiff_t>(line) * samples.full_stride;
  return samples.planes[k] + static_cast<ptrdiff_t>(line) * samples.strides[k];
}

void ConvertLine(const WriteSettings& settings, const ColourPlan& plan, const KernelTable& kernels,
                 const uint8_t* pixels, uint8_t* const* lines, int components) {
  if (plan.converts) {
    kernels.dib_convert[static_cast<int>(plan.conversion)](pixels, settings.width, lines);
  } else {
    CopyDibChannels(pixels, settings.width, settings.dib_channels, plan.sources, components, lines);
  }
}

void Downsample(const FrameLayout& frame, const KernelTable& kernels, const McuRowSamples& samples, int k) {
  const EncodedComponent& component = frame.components[k];
  const bool vertical = component.v != frame.v_max;
  const DownsampleKernel kernel = vertical ? kernels.downsample_h2v2 : kernels.downsample_h2v1;
  const int32_t count = component.blocks_across * 8;
  for (int32_t line = 0; line < 8 * component.v; ++line) {
    const uint8_t* upper = samples.full[k] + static_cast<ptrdiff_t>(vertical ? 2 * line : line) * samples.full_stride;
    kernel(upper, upper + samples.full_stride, count,
           samples.planes[k] + static_cast<ptrdiff_t>(line) * samples.strides[k]);
  }
}

}  // namespace

ColourPlan PlanColours(int32_t dibColor, int32_t dibChannels, int32_t jpegColor, int32_t components) {
  using enum DibConversion;
  const bool bgr = dibColor == JpegColorBgr;
  switch (jpegColor) {
    case JpegColorGrey:
      if (dibColor == JpegColorGrey) return Copied({0}, ColourMarker::kJfif);
      return Converted(bgr ? kBgrToGrey : kRgbToGrey, ColourMarker::kJfif);
    case JpegColorYCbCr:
      if (dibColor == JpegColorGrey) return Copied({0, -1, -1}, ColourMarker::kJfif);
      if (dibColor == JpegColorYCbCr) return Copied({0, 1, 2}, ColourMarker::kJfif);
      if (dibChannels == 4) return Converted(kRgbxToYcc, ColourMarker::kJfif);
      return Converted(bgr ? kBgrToYcc : kRgbToYcc, ColourMarker::kJfif);
    case JpegColorRgb:
      return bgr ? Copied({2, 1, 0}, ColourMarker::kAdobe) : Copied({0, 1, 2}, ColourMarker::kAdobe);
    case JpegColorRgba:
      return Copied({0, 1, 2, 3}, ColourMarker::kAdobe);
    case JpegColorYCbCrAlpha:
      return Converted(kRgbaToYcck, ColourMarker::kAdobe, 2);
    default:
      // Components stored as they are: a reader told no transform was made
      // takes them as they come, which one component needs no marker for.
      return Copied({0, 1, 2, 3}, components > 1 ? ColourMarker::kAdobe : ColourMarker::kNone);
  }
}

size_t McuRowSampleBytes(const FrameLayout& frame) {
  size_t bytes = 0;
  const size_t fullStride = static_cast<size_t>(frame.mcus_across) * frame.mcu_width;
  for (int k = 0; k < frame.component_count; ++k) {
    const EncodedComponent& component = frame.components[k];
    bytes += static_cast<size_t>(component.blocks_across) * 8 * 8 * component.v;
    if (IsSubsampled(frame, component)) bytes += fullStride * frame.mcu_height;
  }
  return bytes;
}

McuRowSamples PlaceMcuRowSamples(const FrameLayout& frame, uint8_t* storage) {
  McuRowSamples samples{};
  samples.full_stride = frame.mcus_across * frame.mcu_width;
  for (int k = 0; k < frame.component_count; ++k) {
    const EncodedComponent& component = frame.components[k];
    samples.planes[k] = storage;
    samples.strides[k] = component.blocks_across * 8;
    storage += static_cast<size_t>(samples.strides[k]) * 8 * component.v;
    if (IsSubsampled(frame, component)) {
      samples.full[k] = storage;
      storage += static_cast<size_t>(samples.full_stride) * frame.mcu_height;
    }
  }
  return samples;
}

void ConvertMcuRow(const WriteSettings& settings, const ColourPlan& plan, const FrameLayout& frame,
                   const KernelTable& kernels, int32_t row, const McuRowSamples& samples) {
  const int components = frame.component_count;
  const int32_t paddedWidth = samples.full_stride;
  for (int32_t line = 0; line < frame.mcu_height; ++line) {
    uint8_t* lines[kMaxComponents] = {};
    for (int k = 0; k < components; ++k) lines[k] = LineOf(samples, k, line);
    const int32_t y = row * frame.mcu_height + line;
    if (y < settings.height) {
      ConvertLine(settings, plan, kernels, settings.top_line + static_cast<ptrdiff_t>(y) * settings.line_bytes, lines,
                  components);
      for (int k = 0; k < components; ++k) {
        std::memset(lines[k] + settings.width, lines[k][settings.width - 1], paddedWidth - settings.width);
      }
    } else {
      // The first line of every MCU row lies inside the image.
      for (int k = 0; k < components; ++k) std::memcpy(lines[k], LineOf(samples, k, line - 1), paddedWidth);
    }
  }
  for (int k = 0; k < components; ++k) {
    if (samples.full[k] != nullptr) Downsample(frame, kernels, samples, k);
  }
}

}  // namespace halvora::jpeg
