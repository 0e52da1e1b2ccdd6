// How the dialog follows its window onto a monitor of another DPI.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

namespace halvora::platform {

class DpiChangeFollower {
 public:
  // Notes `dialog`'s controls and font as the system laid them out from the
  // template.
  explicit DpiChangeFollower(HWND dialog);
  ~DpiChangeFollower();
  DpiChangeFollower(const DpiChangeFollower&) = delete;
  DpiChangeFollower& operator=(const DpiChangeFollower&) = delete;

  // WM_DPICHANGED: the dialog now shows at `dpi`, and the system suggests the
  // window rectangle `suggested` for it. The whole dialog is drawn again, so
  // the page is stretched over the frame's new size. Where the system does
  // not rescale dialogs itself, the controls and their font are scaled from
  // the template's layout and the window takes the suggested rectangle; true
  // then, false when the system is left to do it.
  bool OnDpiChanged(UINT dpi, const RECT& suggested);

 private:
  void ScaleFont(UINT dpi);
  void ScaleControls(UINT dpi);

  HWND dialog_;
  UINT layoutDpi_;
  LOGFONTW layoutFont_{};
  std::vector<std::pair<HWND, RECT>> layout_;
  HFONT font_ = nullptr;  // the scaled font, once there is one
};

}  // namespace halvora::platform
