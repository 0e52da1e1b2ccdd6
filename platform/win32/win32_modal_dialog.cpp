#include "platform/win32/win32_modal_dialog.h"

#include <windows.h>

#include <memory>
#include <optional>

#include "platform/win32/win32_dialog_host.h"
#include "platform/win32/win32_dpi_change.h"

namespace halvora::platform {

namespace {

struct DialogRun {
  Win32DialogHost host;
  std::unique_ptr<DialogHandler> handler;
  // Outlives the window, whose controls may use its font to the end.
  std::optional<DpiChangeFollower> dpiChange;
};

// Centred in the work area of the dialog's monitor; a dialog larger than the
// work area keeps its left or top edge on the work area's edge instead.
void CentreInWorkArea(HWND window) {
  RECT frame{};
  ::GetWindowRect(window, &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
  const RECT& work = monitor.rcWork;
  const LONG width = frame.right - frame.left;
  const LONG height = frame.bottom - frame.top;
  LONG x = work.left + (work.right - work.left - width) / 2;
  LONG y = work.top + (work.bottom - work.top - height) / 2;
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR OnInitDialog(HWND window, DialogRun& run) {
  ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(&run));
  run.host.Attach(window);
  run.dpiChange.emplace(window);
  const bool systemSetsFocus = run.handler->OnInitDialog();
  CentreInWorkArea(window);
  return systemSetsFocus ? TRUE : FALSE;
}

INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitDialog(window, *reinterpret_cast<DialogRun*>(lParam));
  auto* run = reinterpret_cast<DialogRun*>(::GetWindowLongPtrW(window, DWLP_USER));
  if (run == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      // Buttons, and the cancel command that Escape and the close box send.
      if (HIWORD(wParam) == BN_CLICKED) {
        run->handler->OnCommand(LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    case WM_PAINT:
      run->handler->OnPaint();
      return TRUE;
    case WM_DPICHANGED:
      return run->dpiChange->OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam)) ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(run->handler->OnQueryDragIcon().value);
    case WM_DESTROY:
      run->handler->OnDestroy();
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

intptr_t RunModalDialogFromTemplate(const void* dialogTemplate, uint16_t language,
                                    const DialogHandlerFactory& createDialog) {
  DialogRun run{Win32DialogHost(language), nullptr, std::nullopt};
  run.handler = createDialog(run.host);
  if (run.handler == nullptr) return -1;
  return ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), static_cast<LPCDLGTEMPLATEW>(dialogTemplate),
                                   nullptr, DialogProcedure, reinterpret_cast<LPARAM>(&run));
}

}  // namespace halvora::platform
