// Mapping of POSIX locale names (LC_ALL, LC_MESSAGES, LANG) to the Windows
// language identifiers that name the page folders.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace halvora::platform {

inline constexpr uint16_t kEnglishUnitedStates = 0x0409;

// "de_AT.UTF-8@euro" -> 0x0c07; "de" -> 0x0407; "C", "POSIX" and empty ->
// 0x0409. A language we have no identifier for gives nullopt.
std::optional<uint16_t> LanguageIdFromLocaleName(std::string_view locale);

// The first of LC_ALL, LC_MESSAGES and LANG that is set and not empty,
// mapped; 0x0409 when none is set or the name is not known.
uint16_t LanguageIdFromEnvironment();

}  // namespace halvora::platform
