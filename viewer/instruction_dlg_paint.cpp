// The dialog's painting: the current page stretched over the picture frame,
// or the icon while the dialog is minimised.
#include <string_view>

#include "platform/trace.h"
#include "viewer/dialog_ids.h"
#include "viewer/instruction_dlg.h"

namespace halvora::viewer {

namespace {

constexpr std::u16string_view kAlphabet = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

}  // namespace

void CInstructionDlg::SetIcons() {
  m_host.SetIcon(m_hIcon, true);
  m_host.SetIcon(m_hIcon, false);
}

void CInstructionDlg::OnPaint() {
  if (m_host.IsIconic()) {
    PaintIcon();
    return;
  }
  m_host.PaintDefault();
  int baseUnitX = 0;
  int baseUnitY = 0;
  GetBaseUnits(baseUnitX, baseUnitY);
  if (platform::DialogItem* frame = m_host.GetItem(kPictureFrameId)) m_picture.Draw(*frame);
}

void CInstructionDlg::PaintIcon() {
  const auto paint = m_host.BeginPaint();
  if (!paint) return;
  paint->EraseIconBackground();
  const platform::Extent icon = m_host.GetIconSize();
  const platform::Rect client = m_host.GetClientRect();
  const int32_t x = (client.right - client.left - icon.cx + 1) / 2;
  const int32_t y = (client.bottom - client.top - icon.cy + 1) / 2;
  paint->DrawIcon(x, y, m_hIcon);
}

// The dialog units' base as the layout was designed with; only traced.
void CInstructionDlg::GetBaseUnits(int& x, int& y) {
  const auto paint = m_host.BeginPaint();
  if (!paint) return;
  const platform::FontHandle previous = paint->SelectFont(m_host.GetFont());
  y = paint->GetTextHeight();
  x = (paint->GetTextExtent(kAlphabet).cx / 26 + 1) / 2;
  platform::Trace("baseUnitX = %d\n", x);
  platform::Trace("baseUnitY = %d\n", y);
  paint->SelectFont(previous);
}

void CInstructionDlg::InvalidatePicture() { InvalidatePictureArea(false); }

void CInstructionDlg::InvalidatePictureArea(bool erase) {
  platform::DialogItem* frame = m_host.GetItem(kPictureFrameId);
  if (frame == nullptr) return;
  m_host.Invalidate(frame->GetClientRect(), erase);
}

}  // namespace halvora::viewer
