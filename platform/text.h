// Conversions between the program's UTF-16 text and the UTF-8 that traces,
// POSIX file names and the codec's 8-bit names use.
#pragma once

#include <string>
#include <string_view>

namespace halvora::platform {

std::string Utf8(std::u16string_view text);
std::u16string Utf16(std::string_view text);

}  // namespace halvora::platform
