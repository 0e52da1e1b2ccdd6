#include "platform/win32/win32_dialog_host.h"

#include <string>

#include "platform/win32/win32_resources.h"

namespace halvora::platform {

namespace {

Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

class Win32DialogItem final : public DialogItem {
 public:
  explicit Win32DialogItem(HWND control) : control_(control) {}

  std::u16string GetText() override {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(control_)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(control_, text.data(), static_cast<int>(text.size()))));
    return std::u16string(text.begin(), text.end());
  }
  void SetText(std::u16string_view text) override { ::SetWindowTextW(control_, ToWide(text).c_str()); }
  void Show(bool visible) override { ::ShowWindow(control_, visible ? SW_SHOW : SW_HIDE); }
  void Enable(bool enabled) override { ::EnableWindow(control_, enabled); }
  void Focus() override { ::SetFocus(control_); }
  Rect GetClientRect() override {
    RECT r{};
    ::GetClientRect(control_, &r);
    return ToRect(r);
  }
  std::unique_ptr<DeviceContext> GetDeviceContext() override {
    const HDC dc = ::GetDC(control_);
    if (dc == nullptr) return nullptr;
    return std::make_unique<Win32DeviceContext>(control_, dc);
  }
  void ValidateClientArea() override { ::ValidateRect(control_, nullptr); }

 private:
  HWND control_;
};

class Win32PaintSession final : public PaintSession {
 public:
  explicit Win32PaintSession(HWND window) : window_(window) { dc_ = ::BeginPaint(window_, &paint_); }
  ~Win32PaintSession() override { ::EndPaint(window_, &paint_); }

  bool ok() const { return dc_ != nullptr; }
  void EraseIconBackground() override {
    ::SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc_), 0);
  }
  void DrawIcon(int32_t x, int32_t y, IconHandle icon) override {
    ::DrawIcon(dc_, x, y, static_cast<HICON>(const_cast<void*>(icon.value)));
  }
  FontHandle SelectFont(FontHandle font) override {
    return {::SelectObject(dc_, static_cast<HGDIOBJ>(const_cast<void*>(font.value)))};
  }
  int32_t GetTextHeight() override {
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc_, &metrics);
    return metrics.tmHeight;
  }
  Extent GetTextExtent(std::u16string_view text) override {
    SIZE size{};
    const std::wstring wide = ToWide(text);
    ::GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size);
    return {size.cx, size.cy};
  }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_ = nullptr;
};

}  // namespace

DialogItem* Win32DialogHost::GetItem(int id) {
  auto found = items_.find(id);
  if (found != items_.end()) return found->second.get();
  const HWND control = ::GetDlgItem(window_, id);
  if (control == nullptr) return nullptr;
  return items_.emplace(id, std::make_unique<Win32DialogItem>(control)).first->second.get();
}

void Win32DialogHost::Invalidate(const Rect& area, bool erase) {
  const RECT r{area.left, area.top, area.right, area.bottom};
  ::InvalidateRect(window_, &r, erase);
}

void Win32DialogHost::EndDialog(intptr_t result) { ::EndDialog(window_, result); }

std::u16string Win32DialogHost::LoadStringEntry(int id) { return LoadStringInLanguage(id, language_); }

IconHandle Win32DialogHost::LoadIconResource(int id) {
  return {::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id))};
}

void Win32DialogHost::SetIcon(IconHandle icon, bool big) {
  ::SendMessageW(window_, WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon.value));
}

bool Win32DialogHost::IsIconic() { return ::IsIconic(window_) != FALSE; }

Rect Win32DialogHost::GetClientRect() {
  RECT r{};
  ::GetClientRect(window_, &r);
  return ToRect(r);
}

Extent Win32DialogHost::GetIconSize() { return {::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON)}; }

FontHandle Win32DialogHost::GetFont() {
  return {reinterpret_cast<const void*>(::SendMessageW(window_, WM_GETFONT, 0, 0))};
}

std::unique_ptr<PaintSession> Win32DialogHost::BeginPaint() {
  auto session = std::make_unique<Win32PaintSession>(window_);
  if (!session->ok()) return nullptr;
  return session;
}

void Win32DialogHost::PaintDefault() {
  // What a dialog does with a paint it leaves to the system: paint nothing of
  // its own and validate the update region.
  PAINTSTRUCT paint{};
  ::BeginPaint(window_, &paint);
  ::EndPaint(window_, &paint);
}

}  // namespace halvora::platform
