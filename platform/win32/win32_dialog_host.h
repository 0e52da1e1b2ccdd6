// The dialog host on a real Win32 dialog window.
#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include "platform/dialog_host.h"

namespace halvora::platform {

class Win32DialogHost final : public DialogHost {
 public:
  // `language` chooses the copy of the string table the dialog reads.
  explicit Win32DialogHost(uint16_t language) : language_(language) {}

  // The window, once the system has created it.
  void Attach(HWND window) { window_ = window; }
  HWND window() const { return window_; }

  DialogItem* GetItem(int id) override;
  void Invalidate(const Rect& area, bool erase) override;
  void EndDialog(intptr_t result) override;
  std::u16string LoadStringEntry(int id) override;
  IconHandle LoadIconResource(int id) override;
  void SetIcon(IconHandle icon, bool big) override;
  bool IsIconic() override;
  Rect GetClientRect() override;
  Extent GetIconSize() override;
  FontHandle GetFont() override;
  std::unique_ptr<PaintSession> BeginPaint() override;
  void PaintDefault() override;
  std::unique_ptr<StretchDrawer> OpenStretchDrawer() override;

 private:
  uint16_t language_;
  HWND window_ = nullptr;
  std::map<int, std::unique_ptr<DialogItem>> items_;
};

// The device context of a window, released on destruction.
class Win32DeviceContext final : public DeviceContext {
 public:
  Win32DeviceContext(HWND window, HDC dc) : window_(window), dc_(dc) {}
  ~Win32DeviceContext() override { ::ReleaseDC(window_, dc_); }
  HDC dc() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace halvora::platform
