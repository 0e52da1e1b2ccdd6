// The shell services of the system the program runs on.
#pragma once

#include <functional>
#include <memory>

#include "platform/shell.h"

namespace halvora::platform {

// Runs the dialog of a template modally and gives its end result. The
// program supplies it, because only the program knows which dialog logic
// belongs to a template.
using DialogRunner = std::function<intptr_t(int templateId)>;

std::unique_ptr<ShellPlatform> CreateNativeShell(DialogRunner runDialog);

}  // namespace halvora::platform
