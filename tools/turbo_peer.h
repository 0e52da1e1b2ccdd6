// libjpeg-turbo as a benchmark peer (only when its development package was
// present at build time; the codec itself never uses it).
#pragma once

#include <cstdint>
#include <vector>

namespace halvora::tools {

// True when the tool was built with libjpeg-turbo.
bool HaveTurboPeer();

// Decodes the stream into a BGR buffer with the integer DCT and without
// fancy upsampling. False when it cannot (or when the peer is absent).
bool DecodeWithTurboPeer(const std::vector<uint8_t>& stream, std::vector<uint8_t>& bgr, int& width, int& height);

}  // namespace halvora::tools
