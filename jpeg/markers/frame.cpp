#include "jpeg/markers/frame.h"

#include <halvora/jpeg.h>

namespace halvora::jpeg {

namespace {

bool Sampled(const JpegComponent& c, int h, int v) { return c.h == h && c.v == v; }

// The code of a frame whose chroma (components 1 and 2) is 1x1, by its first
// component's factors.
int CodeOfLuminance(const JpegComponent& first, int code420, int code422) {
  if (Sampled(first, 1, 1)) return JpegSubsamplingNone;
  if (Sampled(first, 2, 2)) return code420;
  return Sampled(first, 2, 1) ? code422 : JpegSubsamplingOther;
}

}  // namespace

int SubsamplingCodeOf(const JpegFrame& frame) {
  const JpegComponent* c = frame.components;
  if (c == nullptr) return JpegSubsamplingOther;
  switch (frame.component_count) {
    case 1:
      return JpegSubsamplingNone;
    case 2:
      return Sampled(c[0], 1, 1) && Sampled(c[1], 1, 1) ? JpegSubsamplingNone : JpegSubsamplingOther;
    case 3:
      if (!Sampled(c[1], 1, 1) || !Sampled(c[2], 1, 1)) return JpegSubsamplingOther;
      return CodeOfLuminance(c[0], JpegSubsampling420, JpegSubsampling422);
    case 4:
      if (!Sampled(c[1], 1, 1) || !Sampled(c[2], 1, 1) || c[3].h != c[0].h || c[3].v != c[0].v) {
        return JpegSubsamplingOther;
      }
      return CodeOfLuminance(c[0], JpegSubsampling420Four, JpegSubsampling422Four);
    default:
      return JpegSubsamplingOther;
  }
}

bool UsesSimpleSampling(const JpegFrame& frame) {
  if (frame.h_max != 2 || frame.components == nullptr) return false;
  for (int i = 0; i < frame.component_count; ++i) {
    const JpegComponent& component = frame.components[i];
    if (component.h != component.v || component.h < 1 || component.h > 2) return false;
  }
  return true;
}

}  // namespace halvora::jpeg
