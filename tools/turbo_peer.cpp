#include "tools/turbo_peer.h"

#ifdef HALVORA_HAVE_TURBOJPEG
#include <turbojpeg.h>
#endif

namespace halvora::tools {

#ifdef HALVORA_HAVE_TURBOJPEG

// One decompressor serves every decode, as a program that decodes many
// images keeps one.
TurboPeer::TurboPeer() : handle_(tjInitDecompress()) {}

TurboPeer::~TurboPeer() {
  if (handle_ != nullptr) tjDestroy(handle_);
}

bool TurboPeer::Available() const { return handle_ != nullptr; }

bool TurboPeer::Decode(const std::vector<uint8_t>& stream, DibImage& image, bool interpolate) {
  if (handle_ == nullptr) return false;
  auto* data = const_cast<unsigned char*>(stream.data());
  const auto size = static_cast<unsigned long>(stream.size());
  int width = 0;
  int height = 0;
  int subsampling = 0;
  int colorspace = 0;
  if (tjDecompressHeader3(handle_, data, size, &width, &height, &subsampling, &colorspace) != 0 ||
      width != image.width || height != image.height) {
    return false;
  }
  const int flags = TJFLAG_ACCURATEDCT | (interpolate ? 0 : TJFLAG_FASTUPSAMPLE) | (image.bottom_up ? TJFLAG_BOTTOMUP : 0);
  const int format = image.channels == 4 ? TJPF_CMYK : TJPF_BGR;
  return tjDecompress2(handle_, data, size, image.pixels.data(), width, image.line_bytes, height, format, flags) == 0;
}

#else

TurboPeer::TurboPeer() = default;
TurboPeer::~TurboPeer() = default;
bool TurboPeer::Available() const { return false; }
bool TurboPeer::Decode(const std::vector<uint8_t>&, DibImage&, bool) { return false; }

#endif

}  // namespace halvora::tools
