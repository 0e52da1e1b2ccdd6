// The codec's settings: registry values under HKEY_LOCAL_MACHINE
// "Software\Halvora\JpegCodec" on Windows; environment variables named
// HALVORA_JPEG_<NAME> (decimal) elsewhere. Settings are only ever read.
#pragma once

#include <cstdint>
#include <memory>

namespace halvora::platform {

class CodecSettings {
 public:
  virtual ~CodecSettings() = default;  // releases what opening the store loaded
  // The setting's first four bytes as a number; -1 when it is absent or
  // cannot be read. The stored type is not examined.
  virtual int32_t ReadInt32(const char* name) = 0;
};

// Null when the store cannot be reached at all.
std::unique_ptr<CodecSettings> OpenCodecSettings();

}  // namespace halvora::platform
