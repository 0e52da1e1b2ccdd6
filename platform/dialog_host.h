// What the viewer dialog needs of the window system: its controls, painting,
// string table and icon. The dialog's logic speaks only to these interfaces,
// so that it runs the same on a real window and on the headless host.
// (Names avoid the Win32 A/W macros such as LoadString and LoadIcon.)
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/stretch_draw.h"

namespace halvora::platform {

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

struct Extent {
  int32_t cx = 0;
  int32_t cy = 0;
};

// Shared system objects, owned by the window system; never destroyed by the
// dialog.
struct IconHandle {
  const void* value = nullptr;
  friend bool operator==(IconHandle, IconHandle) = default;
};

struct FontHandle {
  const void* value = nullptr;
  friend bool operator==(FontHandle, FontHandle) = default;
};

// A device context for drawing into one window; released on destruction.
class DeviceContext {
 public:
  virtual ~DeviceContext() = default;
};

// The painting of the dialog between BeginPaint and EndPaint (on destruction).
class PaintSession {
 public:
  virtual ~PaintSession() = default;
  // Erases the background behind the icon of the minimised dialog.
  virtual void EraseIconBackground() = 0;
  virtual void DrawIcon(int32_t x, int32_t y, IconHandle icon) = 0;
  // Returns the font selected before.
  virtual FontHandle SelectFont(FontHandle font) = 0;
  // The selected font's character height (tmHeight).
  virtual int32_t GetTextHeight() = 0;
  virtual Extent GetTextExtent(std::u16string_view text) = 0;
};

// One control of the dialog, found by its identifier.
class DialogItem {
 public:
  virtual ~DialogItem() = default;
  virtual std::u16string GetText() = 0;
  virtual void SetText(std::u16string_view text) = 0;
  virtual void Show(bool visible) = 0;
  virtual void Enable(bool enabled) = 0;
  virtual void Focus() = 0;
  // Origin 0,0 and the control's size in pixels.
  virtual Rect GetClientRect() = 0;
  // Null when the system gives none.
  virtual std::unique_ptr<DeviceContext> GetDeviceContext() = 0;
  // Validates the whole client area, so the control does not paint over what
  // was drawn into it.
  virtual void ValidateClientArea() = 0;
};

class DialogHost {
 public:
  virtual ~DialogHost() = default;
  // Null when the dialog has no control of that identifier.
  virtual DialogItem* GetItem(int id) = 0;
  // Marks a rectangle of the dialog's client area for repainting.
  virtual void Invalidate(const Rect& area, bool erase) = 0;
  virtual void EndDialog(intptr_t result) = 0;
  // A string-table entry in the dialog's language; empty when missing.
  virtual std::u16string LoadStringEntry(int id) = 0;
  // An icon of the program's resources at the standard icon size.
  virtual IconHandle LoadIconResource(int id) = 0;
  virtual void SetIcon(IconHandle icon, bool big) = 0;
  virtual bool IsIconic() = 0;
  virtual Rect GetClientRect() = 0;
  // The system's standard icon size (SM_CXICON, SM_CYICON).
  virtual Extent GetIconSize() = 0;
  virtual FontHandle GetFont() = 0;
  // Null when painting cannot begin.
  virtual std::unique_ptr<PaintSession> BeginPaint() = 0;
  // The window system's own painting of the dialog; validates its update region.
  virtual void PaintDefault() = 0;
  // Null when the system cannot open one.
  virtual std::unique_ptr<StretchDrawer> OpenStretchDrawer() = 0;
};

// The dialog's handlers, called by the host while the dialog runs.
class DialogHandler {
 public:
  virtual ~DialogHandler() = default;
  // True lets the system give the first tab-stop control the initial focus.
  virtual bool OnInitDialog() = 0;
  virtual void OnCommand(int id) = 0;
  virtual void OnPaint() = 0;
  virtual IconHandle OnQueryDragIcon() = 0;
  virtual void OnDestroy() = 0;
};

}  // namespace halvora::platform
