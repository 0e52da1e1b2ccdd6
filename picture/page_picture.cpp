#include "picture/page_picture.h"

#include <new>

#include "picture/bmp_file.h"
#include "picture/jpeg_picture.h"
#include "picture/picture_type.h"
#include "picture/read_exactly.h"
#include "platform/file.h"

namespace halvora::picture {

namespace {

// The codec and the DIB header count bytes in 32 signed bits.
constexpr int64_t kLargestJpegFile = 0x7FFFFFFF;

}  // namespace

PagePicture::PagePicture(std::unique_ptr<platform::StretchDrawer> drawer)
    : m_drawer(std::move(drawer)) {}

PagePicture::~PagePicture() = default;

bool PagePicture::Load(std::u16string_view path, BitmapInfoHeader& header,
                       std::u16string_view text1, std::u16string_view text2) {
  m_strPath = path;
  m_strText1 = text1;
  m_strText2 = text2;
  Release();
  m_type = PictureTypeOf(path);
  bool loaded = false;
  if (m_type == kPictureJpeg) {
    loaded = LoadJpeg();
  } else if (m_type == kPictureBmp) {
    loaded = LoadBmp();
  }
  if (m_type != kPictureNone) header = m_bitmapInfo.header;
  return loaded;
}

// The header and colour table are cleared with the pixels, so that a load
// that ends early never hands out or draws anything of the previous page.
void PagePicture::Release() {
  m_pBits.reset();
  m_nBitsSize = 0;
  m_bitmapInfo = BitmapInfo{};
}

bool PagePicture::LoadJpeg() {
  const auto file = platform::OpenFileForReading(m_strPath);
  if (!file) return false;
  const int64_t length = file->Size();
  if (length <= 0 || length > kLargestJpegFile) return false;
  const std::unique_ptr<uint8_t[]> stream(new (std::nothrow) uint8_t[length]);
  if (!stream || !ReadExactly(*file, stream.get(), static_cast<size_t>(length))) return false;
  file->Close();
  m_pBits = DecodeJpegToDib(stream.get(), static_cast<uint32_t>(length), &m_bitmapInfo.header);
  if (m_pBits) m_nBitsSize = static_cast<uint32_t>(length);
  return true;
}

bool PagePicture::LoadBmp() {
  const auto file = platform::OpenFileForReading(m_strPath);
  if (!file) return false;
  uint8_t fileHeader[kBitmapFileHeaderSize];
  uint8_t infoHeader[kBitmapInfoHeaderSize];
  if (!ReadExactly(*file, fileHeader, sizeof fileHeader) ||
      !ReadExactly(*file, infoHeader, sizeof infoHeader)) {
    return false;
  }
  const BitmapInfoHeader fileInfo = ParseBitmapInfoHeader(infoHeader);
  // A smaller header (the OS/2 BITMAPCOREHEADER) lays its fields out
  // otherwise: these 40 bytes are not a BITMAPINFOHEADER.
  if (fileInfo.biSize < kBitmapInfoHeaderSize) return false;
  BitmapInfoHeader& header = m_bitmapInfo.header;
  header = fileInfo;
  // The drawing functions are told of the first 40 bytes only; what a V4 or
  // V5 header adds is not kept.
  header.biSize = kBitmapInfoHeaderSize;
  LimitColourCount(header);
  if (header.biSizeImage == 0 || !IsDrawableBmp(header)) return false;
  if (!ReadColourTable(*file, fileInfo.biSize, m_bitmapInfo)) return false;

  // A file shorter than its header says is refused before anything is
  // allocated, so a lying header cannot ask for more memory than the file has.
  const uint64_t pixelOffset = ParsePixelDataOffset(fileHeader);
  const int64_t fileSize = file->Size();
  if (fileSize < 0 || pixelOffset + header.biSizeImage > static_cast<uint64_t>(fileSize)) {
    return false;
  }
  // Zeroed, so that no byte of the block is ever undefined.
  std::unique_ptr<uint8_t[]> bits(new (std::nothrow) uint8_t[header.biSizeImage]());
  if (!bits ||
      file->Seek(static_cast<int64_t>(pixelOffset), platform::SeekFrom::kStart) !=
          static_cast<int64_t>(pixelOffset) ||
      !ReadExactly(*file, bits.get(), header.biSizeImage)) {
    return false;
  }
  file->Close();
  m_pBits = std::move(bits);
  m_nBitsSize = header.biSizeImage;
  return true;
}

void PagePicture::Draw(platform::DialogItem& window) {
  if (!m_pBits) return;
  const auto deviceContext = window.GetDeviceContext();
  window.ValidateClientArea();
  if (!m_drawer || !deviceContext) return;
  const platform::Rect client = window.GetClientRect();
  const platform::DibImage image{&m_bitmapInfo, m_pBits.get(), m_bitmapInfo.header.biWidth,
                                 m_bitmapInfo.header.biHeight};
  m_drawer->Draw(*deviceContext, client.right, client.bottom, image);
}

}  // namespace halvora::picture
