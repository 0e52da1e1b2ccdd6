// Reads an extended dialog template (DLGTEMPLATEEX) as the dialog manager would.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace halvora::testing {

struct DialogItem {
  uint32_t style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  int32_t id = 0;
  std::u16string windowClass;  // "#n" for a predefined class given by ordinal
  std::u16string title;
};

struct DialogTemplate {
  uint32_t style = 0, exStyle = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  std::u16string title;
  uint16_t pointSize = 0, weight = 0;
  uint8_t italic = 0, charset = 0;
  std::u16string typeface;
  std::vector<DialogItem> items;
};

// False when the bytes are not a well-formed extended template.
bool ReadDialogTemplate(const void* data, size_t size, DialogTemplate& out);

}  // namespace halvora::testing
