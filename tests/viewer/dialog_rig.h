// The viewer dialog on the headless host with template 102's controls.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/headless/headless_dialog_host.h"
#include "tests/viewer/fake_folder.h"
#include "viewer/dialog_ids.h"
#include "viewer/instruction_dlg.h"

namespace halvora::viewer::testing {

inline constexpr std::u16string_view kNextText = u"Next >";
inline constexpr std::u16string_view kFinishText = u"Finish";
inline constexpr platform::Rect kFrameBounds{0, 0, 120, 80};

inline platform::headless::HeadlessDialogSetup TemplateSetup() {
  platform::headless::HeadlessDialogSetup setup;
  setup.clientSize = {160, 120};
  // The template's order: "Exit" is the first tab stop.
  setup.controls = {
      {kPictureFrameId, u"", kFrameBounds, false},
      {-1, u"", {4, 90, 156, 91}, false},
      {kExitButtonId, u"Exit", {120, 96, 150, 110}, true},
      {kPreviousButtonId, u"< Previous", {20, 96, 50, 110}, true},
      {kNextButtonId, std::u16string(kNextText), {70, 96, 100, 110}, true},
  };
  setup.strings = {{kNextTextId, std::u16string(kNextText)},
                   {kFinishTextId, std::u16string(kFinishText)}};
  setup.iconIds = {kDialogIconId};
  return setup;
}

struct DialogRig {
  explicit DialogRig(std::vector<std::u16string> names, std::u16string dir = u"C:\\Pages\\",
                     platform::headless::HeadlessDialogSetup setup = TemplateSetup())
      : pageDir(std::move(dir)),
        host(std::move(setup)),
        dialog(host, [this] { return pageDir; }, FakeFolder(std::move(names), folderLog)) {
    host.Create(dialog);
  }

  std::u16string NextText() { return host.Item(kNextButtonId).GetText(); }
  bool PreviousShown() {
    auto& previous = host.Item(kPreviousButtonId);
    return previous.IsVisible() && previous.IsEnabled();
  }
  bool PreviousHidden() {
    auto& previous = host.Item(kPreviousButtonId);
    return !previous.IsVisible() && !previous.IsEnabled();
  }
  const platform::headless::RgbSurface& Frame() { return host.Item(kPictureFrameId).Surface(); }

  FakeFolderLog folderLog;
  std::u16string pageDir;
  platform::headless::HeadlessDialogHost host;
  CInstructionDlg dialog;
};

}  // namespace halvora::viewer::testing
