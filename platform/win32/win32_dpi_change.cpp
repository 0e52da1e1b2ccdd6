#include "platform/win32/win32_dpi_change.h"

#include "platform/win32/system_library.h"

namespace halvora::platform {

namespace {

// The per-monitor calls of Windows 10, looked up once at run time, so that the
// program also starts on systems without them.
struct PerMonitorEntries {
  decltype(&::GetWindowDpiAwarenessContext) windowContext;
  decltype(&::AreDpiAwarenessContextsEqual) contextsEqual;
  // Came with the system's own rescaling of dialogs (version 1703); only its
  // presence is used.
  decltype(&::GetDialogDpiChangeBehavior) dialogBehaviour;
};

const PerMonitorEntries& PerMonitor() {
  static const PerMonitorEntries entries = [] {
    const HMODULE user = ::GetModuleHandleW(L"user32.dll");
    return PerMonitorEntries{
        EntryPoint<decltype(&::GetWindowDpiAwarenessContext)>(user, "GetWindowDpiAwarenessContext"),
        EntryPoint<decltype(&::AreDpiAwarenessContextsEqual)>(user, "AreDpiAwarenessContextsEqual"),
        EntryPoint<decltype(&::GetDialogDpiChangeBehavior)>(user, "GetDialogDpiChangeBehavior"),
    };
  }();
  return entries;
}

// A per-monitor (v2) dialog on Windows 10 (1703) or later: the system moves
// and resizes it, its controls and their font when the DPI changes.
bool SystemRescalesDialog(HWND dialog) {
  const PerMonitorEntries& entries = PerMonitor();
  if (!entries.windowContext || !entries.contextsEqual || !entries.dialogBehaviour) return false;
  return entries.contextsEqual(entries.windowContext(dialog), DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

// The DPI the dialog manager measured the template's font with.
UINT LayoutDpiOf(HWND dialog) {
  const HDC dc = ::GetDC(dialog);
  const int dpi = dc != nullptr ? ::GetDeviceCaps(dc, LOGPIXELSY) : 0;
  if (dc != nullptr) ::ReleaseDC(dialog, dc);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

RECT ClientRectOfControl(HWND dialog, HWND control) {
  RECT r{};
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace

DpiChangeFollower::DpiChangeFollower(HWND dialog) : dialog_(dialog), layoutDpi_(LayoutDpiOf(dialog)) {
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
  if (font != nullptr) ::GetObjectW(font, sizeof layoutFont_, &layoutFont_);
  for (HWND control = ::GetWindow(dialog, GW_CHILD); control != nullptr;
       control = ::GetWindow(control, GW_HWNDNEXT)) {
    layout_.emplace_back(control, ClientRectOfControl(dialog, control));
  }
}

DpiChangeFollower::~DpiChangeFollower() {
  if (font_ != nullptr) ::DeleteObject(font_);
}

bool DpiChangeFollower::OnDpiChanged(UINT dpi, const RECT& suggested) {
  ::InvalidateRect(dialog_, nullptr, TRUE);
  if (SystemRescalesDialog(dialog_)) return false;
  ScaleFont(dpi);
  ScaleControls(dpi);
  ::SetWindowPos(dialog_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

void DpiChangeFollower::ScaleFont(UINT dpi) {
  if (layoutFont_.lfHeight == 0) return;
  LOGFONTW scaled = layoutFont_;
  scaled.lfHeight = ::MulDiv(layoutFont_.lfHeight, static_cast<int>(dpi), static_cast<int>(layoutDpi_));
  const HFONT font = ::CreateFontIndirectW(&scaled);
  if (font == nullptr) return;
  for (const auto& [control, rect] : layout_) {
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  // The controls let go of the previous scaled font above.
  if (font_ != nullptr) ::DeleteObject(font_);
  font_ = font;
}

// Every edge is scaled from the template's layout, so that moves back and
// forth between monitors never add up rounding errors.
void DpiChangeFollower::ScaleControls(UINT dpi) {
  const auto scale = [&](LONG value) { return ::MulDiv(value, static_cast<int>(dpi), static_cast<int>(layoutDpi_)); };
  for (const auto& [control, rect] : layout_) {
    const LONG left = scale(rect.left);
    const LONG top = scale(rect.top);
    ::SetWindowPos(control, nullptr, left, top, scale(rect.right) - left, scale(rect.bottom) - top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace halvora::platform
