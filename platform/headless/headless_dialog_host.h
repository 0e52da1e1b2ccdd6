// A dialog host without a window system, for tests: it keeps each control's
// text, visibility, enabled state and focus, records invalidations, icons and
// the end result, and renders each control into an RGB surface.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialog_host.h"
#include "platform/headless/rgb_surface.h"

namespace halvora::platform::headless {

inline constexpr Rgb kDialogBackground{240, 240, 240};

struct HeadlessControl {
  int id = 0;
  std::u16string text;
  Rect bounds;  // in the dialog's client area, in pixels
  bool tabStop = false;
};

struct HeadlessDialogSetup {
  Extent clientSize{600, 460};
  std::vector<HeadlessControl> controls;  // in the template's order
  std::map<int, std::u16string> strings;
  std::vector<int> iconIds;
  Extent iconSize{32, 32};
  int32_t textHeight = 13;
  int32_t averageCharWidth = 6;  // every character measures this wide
  bool deviceContextsAvailable = true;
  bool stretchDrawerAvailable = true;
};

struct Invalidation {
  Rect area;
  bool erase = false;
};

struct IconDrawing {
  int32_t x = 0;
  int32_t y = 0;
  IconHandle icon;
};

class HeadlessDialogHost;

class HeadlessItem final : public DialogItem {
 public:
  HeadlessItem(HeadlessDialogHost& host, const HeadlessControl& control);

  std::u16string GetText() override { return m_text; }
  void SetText(std::u16string_view text) override { m_text = text; }
  void Show(bool visible) override { m_visible = visible; }
  void Enable(bool enabled) override { m_enabled = enabled; }
  void Focus() override;
  Rect GetClientRect() override;
  std::unique_ptr<DeviceContext> GetDeviceContext() override;
  void ValidateClientArea() override { ++m_validations; }

  int Id() const { return m_id; }
  const Rect& Bounds() const { return m_bounds; }
  bool IsVisible() const { return m_visible; }
  bool IsEnabled() const { return m_enabled; }
  bool IsTabStop() const { return m_tabStop; }
  const RgbSurface& Surface() const { return m_surface; }
  int Drawings() const { return m_drawings; }
  int Validations() const { return m_validations; }
  // Erases the part of `area` (dialog coordinates) that lies on the control.
  void Erase(const Rect& area);

 private:
  HeadlessDialogHost& m_host;
  int m_id;
  std::u16string m_text;
  Rect m_bounds;
  bool m_tabStop;
  bool m_visible = true;
  bool m_enabled = true;
  RgbSurface m_surface;
  int m_drawings = 0;
  int m_validations = 0;
};

class HeadlessDialogHost final : public DialogHost {
 public:
  explicit HeadlessDialogHost(HeadlessDialogSetup setup);

  // DialogHost
  DialogItem* GetItem(int id) override;
  void Invalidate(const Rect& area, bool erase) override;
  void EndDialog(intptr_t result) override;
  std::u16string LoadStringEntry(int id) override;
  IconHandle LoadIconResource(int id) override;
  void SetIcon(IconHandle icon, bool big) override;
  bool IsIconic() override { return m_iconic; }
  Rect GetClientRect() override;
  Extent GetIconSize() override { return m_setup.iconSize; }
  FontHandle GetFont() override { return kDialogFont; }
  std::unique_ptr<PaintSession> BeginPaint() override;
  void PaintDefault() override;
  std::unique_ptr<StretchDrawer> OpenStretchDrawer() override;

  // Driving the dialog as the window system would.
  // Creates the dialog: the initialisation handler runs, then, when it asks
  // for it, the first visible and enabled tab-stop control gets the focus;
  // the whole client area is due for an erasing paint.
  void Create(DialogHandler& handler);
  // A click reaches the handler only on a visible, enabled control.
  void Click(int id);
  // A command such as Escape or the close command (the cancel identifier 2).
  void Command(int id);
  // Runs the paint handler when part of the dialog is invalid; true if it ran.
  bool Paint();
  // Invalidates the whole dialog, erasing, as when it is uncovered.
  void Uncover();
  void Destroy();

  // What the tests look at.
  HeadlessItem& Item(int id);
  std::optional<intptr_t> Result() const { return m_result; }
  int FocusedId() const { return m_focusedId; }
  // The dialog's own invalidations, oldest first.
  const std::vector<Invalidation>& Invalidations() const { return m_invalidations; }
  const std::vector<std::pair<IconHandle, bool>>& IconsSet() const { return m_iconsSet; }
  const std::vector<IconDrawing>& IconDrawings() const { return m_iconDrawings; }
  int IconBackgroundErasures() const { return m_iconBackgroundErasures; }
  int OpenPaintSessions() const { return m_openPaintSessions; }
  FontHandle SelectedFont() const { return m_selectedFont; }
  void SetIconic(bool iconic) { m_iconic = iconic; }

 private:
  friend class HeadlessItem;
  friend class HeadlessPaintSession;
  static constexpr FontHandle kDialogFont{&kDialogBackground};

  void MarkInvalid(const Rect& area, bool erase);
  void ValidateDialog();

  HeadlessDialogSetup m_setup;
  std::vector<std::unique_ptr<HeadlessItem>> m_items;
  DialogHandler* m_handler = nullptr;
  std::optional<intptr_t> m_result;
  int m_focusedId = 0;
  bool m_iconic = false;
  std::optional<Rect> m_updateArea;
  bool m_eraseDue = false;
  std::vector<Invalidation> m_invalidations;
  std::vector<std::pair<IconHandle, bool>> m_iconsSet;
  std::vector<IconDrawing> m_iconDrawings;
  int m_iconBackgroundErasures = 0;
  int m_openPaintSessions = 0;
  FontHandle m_selectedFont;
};

}  // namespace halvora::platform::headless
