#include "tools/turbo_peer.h"

#ifdef HALVORA_HAVE_TURBOJPEG
#include <turbojpeg.h>
#endif

namespace halvora::tools {

#ifdef HALVORA_HAVE_TURBOJPEG

// One decompressor serves every decode, as a program that decodes many
// images keeps one.
TurboPeer::TurboPeer() : handle_(tjInitDecompress()), compressor_(tjInitCompress()) {}

TurboPeer::~TurboPeer() {
  if (handle_ != nullptr) tjDestroy(handle_);
  if (compressor_ != nullptr) tjDestroy(compressor_);
}

bool TurboPeer::Available() const { return handle_ != nullptr; }

bool TurboPeer::Decode(const std::vector<uint8_t>& stream, DibImage& image, bool interpolate, int scale) {
  if (handle_ == nullptr) return false;
  auto* data = const_cast<unsigned char*>(stream.data());
  const auto size = static_cast<unsigned long>(stream.size());
  int width = 0;
  int height = 0;
  int subsampling = 0;
  int colorspace = 0;
  if (tjDecompressHeader3(handle_, data, size, &width, &height, &subsampling, &colorspace) != 0) return false;
  const tjscalingfactor factor{1, scale};
  width = TJSCALED(width, factor);
  height = TJSCALED(height, factor);
  if (width != image.width || height != image.height) return false;
  const int flags = TJFLAG_ACCURATEDCT | (interpolate ? 0 : TJFLAG_FASTUPSAMPLE) | (image.bottom_up ? TJFLAG_BOTTOMUP : 0);
  const int format = image.channels == 4 ? TJPF_CMYK : TJPF_BGR;
  return tjDecompress2(handle_, data, size, image.pixels.data(), width, image.line_bytes, height, format, flags) == 0;
}

bool TurboPeer::Encode(const DibImage& image, int quality, bool subsampled, std::vector<uint8_t>& stream) {
  if (compressor_ == nullptr) return false;
  unsigned char* out = stream.data();
  unsigned long size = static_cast<unsigned long>(stream.size());
  const int flags = TJFLAG_ACCURATEDCT | TJFLAG_NOREALLOC | (image.bottom_up ? TJFLAG_BOTTOMUP : 0);
  if (tjCompress2(compressor_, image.pixels.data(), image.width, image.line_bytes, image.height, TJPF_BGR, &out,
                  &size, subsampled ? TJSAMP_420 : TJSAMP_444, quality, flags) != 0) {
    return false;
  }
  stream.resize(size);
  return true;
}

size_t TurboPeer::EncodeBound(int width, int height) const {
  return tjBufSize(width, height, TJSAMP_444);
}

#else

TurboPeer::TurboPeer() = default;
TurboPeer::~TurboPeer() = default;
bool TurboPeer::Available() const { return false; }
bool TurboPeer::Decode(const std::vector<uint8_t>&, DibImage&, bool, int) { return false; }
bool TurboPeer::Encode(const DibImage&, int, bool, std::vector<uint8_t>&) { return false; }
size_t TurboPeer::EncodeBound(int, int) const { return 0; }

#endif

}  // namespace halvora::tools
