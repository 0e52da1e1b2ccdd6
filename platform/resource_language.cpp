#include "platform/resource_language.h"

#include <algorithm>

namespace halvora::platform {

namespace {

constexpr uint16_t kPrimaryMask = 0x3FF;
constexpr uint16_t kChinese = 0x04;
constexpr uint16_t kEnglishUnitedStates = 0x0409;

uint16_t Primary(uint16_t language) { return language & kPrimaryMask; }

// The copy a sublanguage of `language` would naturally fall back to.
uint16_t PreferredCopyOfPrimary(uint16_t language) {
  if (Primary(language) == kChinese) {
    const uint16_t sublanguage = language >> 10;
    const bool simplified = sublanguage == 0x02 || sublanguage == 0x04;  // PRC, Singapore
    return simplified ? 0x0804 : 0x0404;
  }
  return static_cast<uint16_t>(Primary(language) | (0x01 << 10));
}

bool Contains(const std::vector<uint16_t>& list, uint16_t language) {
  return std::find(list.begin(), list.end(), language) != list.end();
}

}  // namespace

std::optional<uint16_t> ChooseResourceLanguage(uint16_t requested, const std::vector<uint16_t>& available) {
  if (available.empty()) return std::nullopt;
  if (Contains(available, requested)) return requested;
  if (Contains(available, PreferredCopyOfPrimary(requested))) return PreferredCopyOfPrimary(requested);
  const auto samePrimary = std::find_if(available.begin(), available.end(),
                                        [&](uint16_t copy) { return Primary(copy) == Primary(requested); });
  if (samePrimary != available.end()) return *samePrimary;
  if (Contains(available, kEnglishUnitedStates)) return kEnglishUnitedStates;
  return available.front();
}

}  // namespace halvora::platform
