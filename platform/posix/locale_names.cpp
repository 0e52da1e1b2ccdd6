#include "platform/posix/locale_names.h"

#include <cstdlib>
#include <string>

namespace halvora::platform {

namespace {

struct LocaleEntry {
  std::string_view name;  // language, or language_TERRITORY
  uint16_t id;
};

// Bare languages map to the variant Windows treats as that language's
// default. Exact language_TERRITORY entries come first in the search.
constexpr LocaleEntry kLocales[] = {
    {"zh_TW", 0x0404}, {"zh_HK", 0x0c04}, {"zh_MO", 0x1404}, {"zh_CN", 0x0804}, {"zh_SG", 0x1004},
    {"zh", 0x0804},
    {"de_DE", 0x0407}, {"de_CH", 0x0807}, {"de_AT", 0x0c07}, {"de_LU", 0x1007}, {"de_LI", 0x1407},
    {"de", 0x0407},
    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0c09}, {"en_CA", 0x1009}, {"en_NZ", 0x1409},
    {"en_IE", 0x1809}, {"en_ZA", 0x1c09}, {"en_IN", 0x4009}, {"en", 0x0409},
    {"fr_FR", 0x040c}, {"fr_BE", 0x080c}, {"fr_CA", 0x0c0c}, {"fr_CH", 0x100c}, {"fr_LU", 0x140c},
    {"fr", 0x040c},
    {"it_IT", 0x0410}, {"it_CH", 0x0810}, {"it", 0x0410},
    {"ja_JP", 0x0411}, {"ja", 0x0411},
    {"ko_KR", 0x0412}, {"ko", 0x0412},
    {"ru_RU", 0x0419}, {"ru", 0x0419},
    {"es_ES", 0x0c0a}, {"es_MX", 0x080a}, {"es_AR", 0x2c0a}, {"es_CO", 0x240a}, {"es_US", 0x540a},
    {"es", 0x0c0a},
    {"pt_BR", 0x0416}, {"pt_PT", 0x0816}, {"pt", 0x0816},
    {"nl_NL", 0x0413}, {"nl_BE", 0x0813}, {"nl", 0x0413},
    {"sv_SE", 0x041d}, {"sv", 0x041d}, {"da_DK", 0x0406}, {"da", 0x0406},
    {"nb_NO", 0x0414}, {"nb", 0x0414}, {"fi_FI", 0x040b}, {"fi", 0x040b},
    {"pl_PL", 0x0415}, {"pl", 0x0415}, {"cs_CZ", 0x0405}, {"cs", 0x0405},
    {"hu_HU", 0x040e}, {"hu", 0x040e}, {"tr_TR", 0x041f}, {"tr", 0x041f},
    {"el_GR", 0x0408}, {"el", 0x0408}, {"uk_UA", 0x0422}, {"uk", 0x0422},
};

std::optional<uint16_t> Lookup(std::string_view key) {
  for (const LocaleEntry& entry : kLocales) {
    if (entry.name == key) return entry.id;
  }
  return std::nullopt;
}

}  // namespace

std::optional<uint16_t> LanguageIdFromLocaleName(std::string_view locale) {
  // Drop the codeset and modifier: language[_TERRITORY][.codeset][@modifier].
  locale = locale.substr(0, locale.find_first_of(".@"));
  if (locale.empty() || locale == "C" || locale == "POSIX") return kEnglishUnitedStates;
  if (auto exact = Lookup(locale)) return exact;
  return Lookup(locale.substr(0, locale.find('_')));
}

uint16_t LanguageIdFromEnvironment() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
      return LanguageIdFromLocaleName(value).value_or(kEnglishUnitedStates);
    }
  }
  return kEnglishUnitedStates;
}

}  // namespace halvora::platform
