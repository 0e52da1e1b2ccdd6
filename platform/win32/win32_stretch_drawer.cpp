#include <windows.h>
#include <vfw.h>

#include <optional>

#include "platform/win32/system_library.h"
#include "platform/win32/win32_dialog_host.h"

namespace halvora::platform {

namespace {

// Keeps the palette of the page in the background, so that drawing a page
// never takes over the system palette on a palette display.
constexpr UINT kDrawFlags = DDF_BACKGROUNDPAL;

// The drawing library is not among the DLLs that Windows always maps from
// the system folder, so it is not imported: it is loaded from the system
// folder at run time, once, and kept for the life of the process.
struct DrawDibLibrary {
  decltype(&::DrawDibOpen) open;
  decltype(&::DrawDibClose) close;
  decltype(&::DrawDibBegin) begin;
  decltype(&::DrawDibDraw) draw;
  decltype(&::DrawDibEnd) end;
};

std::optional<DrawDibLibrary> LoadDrawDibLibrary() {
  const HMODULE module = LoadSystemLibrary(L"msvfw32.dll");
  if (module == nullptr) return std::nullopt;
  const DrawDibLibrary library{
      EntryPoint<decltype(&::DrawDibOpen)>(module, "DrawDibOpen"),
      EntryPoint<decltype(&::DrawDibClose)>(module, "DrawDibClose"),
      EntryPoint<decltype(&::DrawDibBegin)>(module, "DrawDibBegin"),
      EntryPoint<decltype(&::DrawDibDraw)>(module, "DrawDibDraw"),
      EntryPoint<decltype(&::DrawDibEnd)>(module, "DrawDibEnd"),
  };
  if (!library.open || !library.close || !library.begin || !library.draw || !library.end) return std::nullopt;
  return library;
}

// Null when the library or one of its entry points is missing (traced once):
// the pages then load but are not drawn.
const DrawDibLibrary* DrawDib() {
  static const std::optional<DrawDibLibrary> library = LoadDrawDibLibrary();
  return library ? &*library : nullptr;
}

class DrawDibDrawer final : public StretchDrawer {
 public:
  DrawDibDrawer(const DrawDibLibrary& library, HDRAWDIB handle) : library_(library), handle_(handle) {}
  ~DrawDibDrawer() override { library_.close(handle_); }

  void Draw(DeviceContext& target, int32_t width, int32_t height, const DibImage& image) override {
    const HDC dc = static_cast<Win32DeviceContext&>(target).dc();
    auto* header = static_cast<BITMAPINFOHEADER*>(const_cast<void*>(image.bitmapInfo));
    library_.begin(handle_, dc, 0, 0, header, 0, 0, kDrawFlags);
    library_.draw(handle_, dc, 0, 0, width, height, header, const_cast<void*>(image.bits), 0, 0, image.width,
                  image.height, kDrawFlags);
    library_.end(handle_);
  }

 private:
  const DrawDibLibrary& library_;
  HDRAWDIB handle_;
};

}  // namespace

std::unique_ptr<StretchDrawer> Win32DialogHost::OpenStretchDrawer() {
  const DrawDibLibrary* library = DrawDib();
  if (library == nullptr) return nullptr;
  const HDRAWDIB handle = library->open();
  if (handle == nullptr) return nullptr;
  return std::make_unique<DrawDibDrawer>(*library, handle);
}

}  // namespace halvora::platform
