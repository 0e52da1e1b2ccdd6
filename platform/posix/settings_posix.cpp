#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/settings.h"

namespace halvora::platform {

namespace {

// Environment variables stand in for the registry: HALVORA_JPEG_<NAME>,
// a decimal number. Anything else reads as absent (-1).
class EnvironmentSettings final : public CodecSettings {
 public:
  int32_t ReadInt32(const char* name) override {
    const std::string variable = std::string("HALVORA_JPEG_") + name;
    const char* text = std::getenv(variable.c_str());
    if (text == nullptr || *text == '\0') return -1;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < INT32_MIN || value > INT32_MAX) return -1;
    return static_cast<int32_t>(value);
  }
};

}  // namespace

std::unique_ptr<CodecSettings> OpenCodecSettings() { return std::make_unique<EnvironmentSettings>(); }

}  // namespace halvora::platform
