#include "platform/win32/win32_resources.h"

#include <vector>

#include "platform/resource_language.h"

namespace halvora::platform {

namespace {

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  reinterpret_cast<std::vector<uint16_t>*>(param)->push_back(language);
  return TRUE;
}

std::vector<uint16_t> LanguagesOf(LPCWSTR type, int id) {
  std::vector<uint16_t> languages;
  ::EnumResourceLanguagesW(nullptr, type, MAKEINTRESOURCEW(id), CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
  return languages;
}

}  // namespace

ResourceBytes FindResourceInLanguage(LPCWSTR type, int id, uint16_t language) {
  const std::optional<uint16_t> chosen = ChooseResourceLanguage(language, LanguagesOf(type, id));
  if (!chosen) return {};
  const HRSRC found = ::FindResourceExW(nullptr, type, MAKEINTRESOURCEW(id), *chosen);
  const HGLOBAL loaded = found != nullptr ? ::LoadResource(nullptr, found) : nullptr;
  const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (data == nullptr) return {};
  return {data, ::SizeofResource(nullptr, found), *chosen};
}

std::u16string LoadStringInLanguage(int id, uint16_t language) {
  // Strings are stored sixteen to a block, each as a length and that many
  // UTF-16 units; block n holds the strings 16(n - 1) to 16n - 1.
  const ResourceBytes block = FindResourceInLanguage(RT_STRING, id / 16 + 1, language);
  if (block.data == nullptr) return {};
  const auto* units = static_cast<const char16_t*>(block.data);
  const size_t total = block.size / sizeof(char16_t);
  size_t at = 0;
  for (int index = 0; index < id % 16; ++index) {
    if (at >= total) return {};
    at += 1 + units[at];
  }
  if (at >= total || at + 1 + units[at] > total) return {};
  return std::u16string(units + at + 1, units[at]);
}

}  // namespace halvora::platform
