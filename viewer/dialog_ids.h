// Identifiers of template 102's controls and of the dialog's resources.
#pragma once

namespace halvora::viewer {

inline constexpr int kDialogTemplateId = 102;

inline constexpr int kPictureFrameId = 1000;
inline constexpr int kExitButtonId = 2;  // the dialog's cancel command
inline constexpr int kPreviousButtonId = 3;
inline constexpr int kNextButtonId = 4;

inline constexpr int kNextTextId = 1;    // "Next >"
inline constexpr int kFinishTextId = 2;  // "Finish"

inline constexpr int kDialogIconId = 128;

inline constexpr int kResultFinish = 1;
inline constexpr int kResultCancel = 2;

}  // namespace halvora::viewer
