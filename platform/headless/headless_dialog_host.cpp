#include "platform/headless/headless_dialog_host.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "platform/headless/headless_device_context.h"
#include "platform/headless/software_stretch.h"

namespace halvora::platform::headless {

namespace {

Rect Union(const Rect& a, const Rect& b) {
  return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

}  // namespace

class HeadlessPaintSession final : public PaintSession {
 public:
  explicit HeadlessPaintSession(HeadlessDialogHost& host) : m_host(host) {
    ++m_host.m_openPaintSessions;
  }
  ~HeadlessPaintSession() override { --m_host.m_openPaintSessions; }

  void EraseIconBackground() override { ++m_host.m_iconBackgroundErasures; }
  void DrawIcon(int32_t x, int32_t y, IconHandle icon) override {
    m_host.m_iconDrawings.push_back(IconDrawing{x, y, icon});
  }
  FontHandle SelectFont(FontHandle font) override {
    return std::exchange(m_host.m_selectedFont, font);
  }
  int32_t GetTextHeight() override { return m_host.m_setup.textHeight; }
  Extent GetTextExtent(std::u16string_view text) override {
    return Extent{static_cast<int32_t>(text.size()) * m_host.m_setup.averageCharWidth,
                  m_host.m_setup.textHeight};
  }

 private:
  HeadlessDialogHost& m_host;
};

HeadlessItem::HeadlessItem(HeadlessDialogHost& host, const HeadlessControl& control)
    : m_host(host),
      m_id(control.id),
      m_text(control.text),
      m_bounds(control.bounds),
      m_tabStop(control.tabStop),
      m_surface(control.bounds.right - control.bounds.left, control.bounds.bottom - control.bounds.top,
                kDialogBackground) {}

void HeadlessItem::Focus() { m_host.m_focusedId = m_id; }

Rect HeadlessItem::GetClientRect() { return Rect{0, 0, m_surface.Width(), m_surface.Height()}; }

std::unique_ptr<DeviceContext> HeadlessItem::GetDeviceContext() {
  if (!m_host.m_setup.deviceContextsAvailable) return nullptr;
  return std::make_unique<HeadlessDeviceContext>(m_surface, m_drawings);
}

void HeadlessItem::Erase(const Rect& area) {
  m_surface.Fill(Rect{area.left - m_bounds.left, area.top - m_bounds.top, area.right - m_bounds.left,
                      area.bottom - m_bounds.top},
                 kDialogBackground);
}

HeadlessDialogHost::HeadlessDialogHost(HeadlessDialogSetup setup) : m_setup(std::move(setup)) {
  for (const HeadlessControl& control : m_setup.controls) {
    m_items.push_back(std::make_unique<HeadlessItem>(*this, control));
  }
}

DialogItem* HeadlessDialogHost::GetItem(int id) {
  for (const auto& item : m_items) {
    if (item->Id() == id) return item.get();
  }
  return nullptr;
}

HeadlessItem& HeadlessDialogHost::Item(int id) {
  auto* item = static_cast<HeadlessItem*>(GetItem(id));
  if (item == nullptr) throw std::out_of_range("no such control");
  return *item;
}

void HeadlessDialogHost::Invalidate(const Rect& area, bool erase) {
  m_invalidations.push_back(Invalidation{area, erase});
  MarkInvalid(area, erase);
}

void HeadlessDialogHost::MarkInvalid(const Rect& area, bool erase) {
  m_updateArea = m_updateArea ? Union(*m_updateArea, area) : area;
  m_eraseDue = m_eraseDue || erase;
}

void HeadlessDialogHost::EndDialog(intptr_t result) { m_result = result; }

std::u16string HeadlessDialogHost::LoadStringEntry(int id) {
  const auto found = m_setup.strings.find(id);
  return found == m_setup.strings.end() ? std::u16string() : found->second;
}

IconHandle HeadlessDialogHost::LoadIconResource(int id) {
  const auto found = std::find(m_setup.iconIds.begin(), m_setup.iconIds.end(), id);
  return found == m_setup.iconIds.end() ? IconHandle{} : IconHandle{&*found};
}

void HeadlessDialogHost::SetIcon(IconHandle icon, bool big) { m_iconsSet.emplace_back(icon, big); }

Rect HeadlessDialogHost::GetClientRect() {
  return Rect{0, 0, m_setup.clientSize.cx, m_setup.clientSize.cy};
}

std::unique_ptr<PaintSession> HeadlessDialogHost::BeginPaint() {
  ValidateDialog();
  return std::make_unique<HeadlessPaintSession>(*this);
}

void HeadlessDialogHost::PaintDefault() { ValidateDialog(); }

// Erases what is due, as the window system does before painting.
void HeadlessDialogHost::ValidateDialog() {
  if (m_updateArea && m_eraseDue) {
    for (const auto& item : m_items) item->Erase(*m_updateArea);
  }
  m_updateArea.reset();
  m_eraseDue = false;
}

std::unique_ptr<StretchDrawer> HeadlessDialogHost::OpenStretchDrawer() {
  if (!m_setup.stretchDrawerAvailable) return nullptr;
  return std::make_unique<SoftwareStretchDrawer>();
}

void HeadlessDialogHost::Create(DialogHandler& handler) {
  m_handler = &handler;
  if (m_handler->OnInitDialog()) {
    for (const auto& item : m_items) {
      if (item->IsTabStop() && item->IsVisible() && item->IsEnabled()) {
        m_focusedId = item->Id();
        break;
      }
    }
  }
  Uncover();
}

void HeadlessDialogHost::Click(int id) {
  const HeadlessItem& item = Item(id);
  if (m_handler != nullptr && item.IsVisible() && item.IsEnabled()) m_handler->OnCommand(id);
}

void HeadlessDialogHost::Command(int id) {
  if (m_handler != nullptr) m_handler->OnCommand(id);
}

bool HeadlessDialogHost::Paint() {
  if (m_handler == nullptr || !m_updateArea) return false;
  m_handler->OnPaint();
  // A handler that did not validate would be asked again and again by a
  // real window system; here the request simply ends.
  ValidateDialog();
  return true;
}

void HeadlessDialogHost::Uncover() { MarkInvalid(GetClientRect(), true); }

void HeadlessDialogHost::Destroy() {
  if (m_handler != nullptr) m_handler->OnDestroy();
  m_handler = nullptr;
}

}  // namespace halvora::platform::headless
