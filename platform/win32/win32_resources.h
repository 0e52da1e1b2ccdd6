// The program's own resources, loaded in a chosen language.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace halvora::platform {

struct ResourceBytes {
  const void* data = nullptr;
  DWORD size = 0;
  uint16_t language = 0;  // the copy that was found
};

// The copy of resource (type, id) that serves `language` (see
// ChooseResourceLanguage); data is null when the resource does not exist.
ResourceBytes FindResourceInLanguage(LPCWSTR type, int id, uint16_t language);

// String `id` of the string table in `language` (with the same fallbacks);
// empty when there is none.
std::u16string LoadStringInLanguage(int id, uint16_t language);

}  // namespace halvora::platform
