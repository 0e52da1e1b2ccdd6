// Which language copy of a resource serves a language.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace halvora::platform {

// Of the copies `available`, the one that serves `requested`: its own copy;
// else a copy of its primary language (for Chinese, Simplified for the PRC and
// Singapore, Traditional otherwise; for others the default sublanguage first);
// else English (United States); else the first copy. The program loads its
// dialog and strings in the chosen language explicitly, because the thread
// locale alone no longer picks the copy on current systems.
std::optional<uint16_t> ChooseResourceLanguage(uint16_t requested, const std::vector<uint16_t>& available);

}  // namespace halvora::platform
