#include "picture/picture_type.h"

namespace halvora::picture {

namespace {

// Folding ASCII letters is enough: no other character upper-cases to a
// letter of "JPG" or "BMP".
bool EqualsUpperAscii(std::u16string_view text, std::u16string_view upper) {
  if (text.size() != upper.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    if (c != upper[i]) return false;
  }
  return true;
}

}  // namespace

int PictureTypeOf(std::u16string_view fileName) {
  const size_t dot = fileName.rfind(u'.');
  if (dot == std::u16string_view::npos) return kPictureNone;
  const std::u16string_view extension = fileName.substr(dot + 1);
  if (EqualsUpperAscii(extension, u"JPG")) return kPictureJpeg;
  if (EqualsUpperAscii(extension, u"BMP")) return kPictureBmp;
  return kPictureNone;
}

bool IsPictureFile(std::u16string_view fileName) { return PictureTypeOf(fileName) != kPictureNone; }

}  // namespace halvora::picture
