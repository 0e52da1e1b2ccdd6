// Which page files are pictures: decided by the extension of the name alone.
#pragma once

#include <string_view>

namespace halvora::picture {

inline constexpr int kPictureNone = 0;
inline constexpr int kPictureJpeg = 1;
inline constexpr int kPictureBmp = 2;

// kPictureJpeg when the text after the last '.' is "JPG" in any case,
// kPictureBmp for "BMP", otherwise kPictureNone (".jpeg" is not a page).
int PictureTypeOf(std::u16string_view fileName);
bool IsPictureFile(std::u16string_view fileName);

}  // namespace halvora::picture
