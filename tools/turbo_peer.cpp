#include "tools/turbo_peer.h"

#include <cstddef>

#ifdef HALVORA_HAVE_TURBOJPEG
#include <turbojpeg.h>
#endif

namespace halvora::tools {

#ifdef HALVORA_HAVE_TURBOJPEG

bool HaveTurboPeer() { return true; }

bool DecodeWithTurboPeer(const std::vector<uint8_t>& stream, std::vector<uint8_t>& bgr, int& width, int& height) {
  tjhandle handle = tjInitDecompress();
  if (handle == nullptr) return false;
  auto* data = const_cast<unsigned char*>(stream.data());
  const auto size = static_cast<unsigned long>(stream.size());
  int subsampling = 0;
  int colorspace = 0;
  bool ok = tjDecompressHeader3(handle, data, size, &width, &height, &subsampling, &colorspace) == 0;
  if (ok) {
    bgr.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    ok = tjDecompress2(handle, data, size, bgr.data(), width, 0, height, TJPF_BGR,
                       TJFLAG_FASTUPSAMPLE | TJFLAG_ACCURATEDCT) == 0;
  }
  tjDestroy(handle);
  return ok;
}

#else

bool HaveTurboPeer() { return false; }

bool DecodeWithTurboPeer(const std::vector<uint8_t>&, std::vector<uint8_t>&, int&, int&) { return false; }

#endif

}  // namespace halvora::tools
