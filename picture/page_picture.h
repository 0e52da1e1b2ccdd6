// One instruction page held as a DIB: loaded from a BMP file directly or from
// a JPEG file through the codec, and drawn stretched over a whole window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "picture/bitmap_info.h"
#include "platform/dialog_host.h"
#include "platform/stretch_draw.h"

namespace halvora::picture {

class PagePicture {
 public:
  // A null drawer stands for a drawing context that could not be opened: the
  // picture then loads as usual but never draws.
  explicit PagePicture(std::unique_ptr<platform::StretchDrawer> drawer);
  virtual ~PagePicture();
  PagePicture(const PagePicture&) = delete;
  PagePicture& operator=(const PagePicture&) = delete;

  // Releases the held picture, then loads the file named by `path`. For a
  // JPEG or BMP name the header of the load (zero where the file gave none)
  // is copied to `header` whatever the outcome. A JPEG that was read but
  // cannot be decoded counts as loaded and leaves no picture.
  bool Load(std::u16string_view path, BitmapInfoHeader& header, std::u16string_view text1,
            std::u16string_view text2);
  // Stretches the held picture over the whole client area of `window` and
  // validates that area; does nothing when no picture is held.
  void Draw(platform::DialogItem& window);

  bool HasPicture() const { return m_pBits != nullptr; }

 private:
  bool LoadJpeg();
  bool LoadBmp();
  void Release();

  // m_bitmapInfo.header is the held picture's header; the colour table behind
  // it is zero unless the BMP file supplied one.
  BitmapInfo m_bitmapInfo{};
  int m_type = 0;
  std::unique_ptr<platform::StretchDrawer> m_drawer;
  std::u16string m_strPath;
  std::u16string m_strText1;
  std::u16string m_strText2;
  std::unique_ptr<uint8_t[]> m_pBits;
  // The size of m_pBits for a BMP, the file's length for a JPEG.
  uint32_t m_nBitsSize = 0;
};

}  // namespace halvora::picture
