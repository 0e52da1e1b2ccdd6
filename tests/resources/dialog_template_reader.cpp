#include "dialog_template_reader.h"

#include <cstring>

namespace halvora::testing {

namespace {

class Cursor {
 public:
  Cursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  template <typename T>
  bool Read(T& value) {
    if (at_ + sizeof(T) > size_) return false;
    std::memcpy(&value, data_ + at_, sizeof(T));
    at_ += sizeof(T);
    return true;
  }
  // A zero-terminated UTF-16 string, or 0xFFFF and an ordinal ("#n").
  bool ReadSzOrOrdinal(std::u16string& text) {
    uint16_t unit = 0;
    if (!Read(unit)) return false;
    if (unit == 0xFFFF) {
      uint16_t ordinal = 0;
      if (!Read(ordinal)) return false;
      const std::string digits = "#" + std::to_string(ordinal);
      text.assign(digits.begin(), digits.end());
      return true;
    }
    text.clear();
    while (unit != 0) {
      text += static_cast<char16_t>(unit);
      if (!Read(unit)) return false;
    }
    return true;
  }
  void AlignTo4() { at_ = (at_ + 3) & ~size_t{3}; }
  bool Skip(size_t n) {
    if (at_ + n > size_) return false;
    at_ += n;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

bool ReadItem(Cursor& in, DialogItem& item) {
  uint32_t helpId = 0, exStyle = 0;
  uint16_t extra = 0;
  in.AlignTo4();
  return in.Read(helpId) && in.Read(exStyle) && in.Read(item.style) && in.Read(item.x) && in.Read(item.y) &&
         in.Read(item.cx) && in.Read(item.cy) && in.Read(item.id) && in.ReadSzOrOrdinal(item.windowClass) &&
         in.ReadSzOrOrdinal(item.title) && in.Read(extra) && in.Skip(extra);
}

}  // namespace

bool ReadDialogTemplate(const void* data, size_t size, DialogTemplate& out) {
  Cursor in(static_cast<const uint8_t*>(data), size);
  uint16_t version = 0, signature = 0, count = 0;
  uint32_t helpId = 0;
  std::u16string menu, windowClass;
  if (!in.Read(version) || !in.Read(signature) || version != 1 || signature != 0xFFFF) return false;
  if (!in.Read(helpId) || !in.Read(out.exStyle) || !in.Read(out.style) || !in.Read(count) || !in.Read(out.x) ||
      !in.Read(out.y) || !in.Read(out.cx) || !in.Read(out.cy) || !in.ReadSzOrOrdinal(menu) ||
      !in.ReadSzOrOrdinal(windowClass) || !in.ReadSzOrOrdinal(out.title)) {
    return false;
  }
  constexpr uint32_t kSetFont = 0x40;
  if ((out.style & kSetFont) != 0 && (!in.Read(out.pointSize) || !in.Read(out.weight) || !in.Read(out.italic) ||
                                      !in.Read(out.charset) || !in.ReadSzOrOrdinal(out.typeface))) {
    return false;
  }
  out.items.resize(count);
  for (DialogItem& item : out.items) {
    if (!ReadItem(in, item)) return false;
  }
  return true;
}

}  // namespace halvora::testing
