#include <windows.h>
#include <vfw.h>

#include "platform/win32/win32_dialog_host.h"

namespace halvora::platform {

namespace {

// Keeps the palette of the page in the background, so that drawing a page
// never takes over the system palette on a palette display.
constexpr UINT kDrawFlags = DDF_BACKGROUNDPAL;

class DrawDibDrawer final : public StretchDrawer {
 public:
  explicit DrawDibDrawer(HDRAWDIB handle) : handle_(handle) {}
  ~DrawDibDrawer() override { ::DrawDibClose(handle_); }

  void Draw(DeviceContext& target, int32_t width, int32_t height, const DibImage& image) override {
    const HDC dc = static_cast<Win32DeviceContext&>(target).dc();
    auto* header = static_cast<BITMAPINFOHEADER*>(const_cast<void*>(image.bitmapInfo));
    ::DrawDibBegin(handle_, dc, 0, 0, header, 0, 0, kDrawFlags);
    ::DrawDibDraw(handle_, dc, 0, 0, width, height, header, const_cast<void*>(image.bits), 0, 0, image.width,
                  image.height, kDrawFlags);
    ::DrawDibEnd(handle_);
  }

 private:
  HDRAWDIB handle_;
};

}  // namespace

std::unique_ptr<StretchDrawer> Win32DialogHost::OpenStretchDrawer() {
  const HDRAWDIB handle = ::DrawDibOpen();
  if (handle == nullptr) return nullptr;
  return std::make_unique<DrawDibDrawer>(handle);
}

}  // namespace halvora::platform
