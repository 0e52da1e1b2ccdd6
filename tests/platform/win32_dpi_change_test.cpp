// The real dialog, from the program's own template, told that its window
// moved to a monitor of twice the DPI it was laid out at.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/win32/win32_dialog_host.h"
#include "platform/win32/win32_shell.h"

namespace halvora::platform {
namespace {

struct Layout {
  RECT window{};
  std::vector<RECT> controls;  // in client coordinates
  LONG fontHeight = 0;         // of the first button's font
};

LONG FontHeightOf(HWND control) {
  LOGFONTW font{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return std::abs(font.lfHeight);
}

Layout LayoutOf(HWND dialog) {
  Layout layout;
  ::GetWindowRect(dialog, &layout.window);
  for (HWND control = ::GetWindow(dialog, GW_CHILD); control != nullptr;
       control = ::GetWindow(control, GW_HWNDNEXT)) {
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    layout.controls.push_back(r);
  }
  layout.fontHeight = FontHeightOf(::GetDlgItem(dialog, IDCANCEL));
  return layout;
}

// Sends the change as soon as the dialog exists, notes the layout before and
// after, and ends the dialog.
class DpiChangeProbe final : public DialogHandler {
 public:
  DpiChangeProbe(DialogHost& host, Layout& before, Layout& after, RECT& suggested)
      : host_(static_cast<Win32DialogHost&>(host)), before_(before), after_(after), suggested_(suggested) {}

  bool OnInitDialog() override {
    const HWND dialog = host_.window();
    before_ = LayoutOf(dialog);
    const HDC dc = ::GetDC(dialog);
    const int doubled = 2 * ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(dialog, dc);
    const RECT& w = before_.window;
    suggested_ = {w.left + 10, w.top + 20, w.left + 10 + 2 * (w.right - w.left), w.top + 20 + 2 * (w.bottom - w.top)};
    ::SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(doubled, doubled), reinterpret_cast<LPARAM>(&suggested_));
    after_ = LayoutOf(dialog);
    host_.EndDialog(0);
    return true;
  }
  void OnCommand(int) override {}
  void OnPaint() override { host_.PaintDefault(); }
  IconHandle OnQueryDragIcon() override { return {}; }
  void OnDestroy() override {}

 private:
  Win32DialogHost& host_;
  Layout& before_;
  Layout& after_;
  RECT& suggested_;
};

void ExpectNear(LONG got, LONG want, const char* what) { EXPECT_NEAR(got, want, 1) << what; }

TEST(DpiChange, ControlsFontAndWindowFollowTheNewDpi) {
  Layout before, after;
  RECT suggested{};
  Win32Shell shell([&](DialogHost& host) { return std::make_unique<DpiChangeProbe>(host, before, after, suggested); });
  ASSERT_EQ(shell.RunModalDialog(102), 0) << "the dialog could not be created (a display is needed)";

  EXPECT_EQ(after.window.left, suggested.left);
  EXPECT_EQ(after.window.top, suggested.top);
  EXPECT_EQ(after.window.right, suggested.right);
  EXPECT_EQ(after.window.bottom, suggested.bottom);
  ASSERT_EQ(after.controls.size(), 5u) << "the frame, the separator and the three buttons";
  ASSERT_EQ(before.controls.size(), after.controls.size());
  for (size_t i = 0; i < before.controls.size(); ++i) {
    SCOPED_TRACE(i);
    ExpectNear(after.controls[i].left, 2 * before.controls[i].left, "left");
    ExpectNear(after.controls[i].top, 2 * before.controls[i].top, "top");
    ExpectNear(after.controls[i].right, 2 * before.controls[i].right, "right");
    ExpectNear(after.controls[i].bottom, 2 * before.controls[i].bottom, "bottom");
  }
  ExpectNear(after.fontHeight, 2 * before.fontHeight, "font height");
}

}  // namespace
}  // namespace halvora::platform
