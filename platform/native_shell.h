// The shell services of the system the program runs on.
#pragma once

#include <functional>
#include <memory>

#include "platform/dialog_host.h"
#include "platform/shell.h"

namespace halvora::platform {

// Creates the logic of the dialog the shell runs, bound to the host that
// stands for its window. The program supplies it, because only the program
// knows which dialog logic belongs to a template.
using DialogHandlerFactory = std::function<std::unique_ptr<DialogHandler>(DialogHost& host)>;

std::unique_ptr<ShellPlatform> CreateNativeShell(DialogHandlerFactory createDialog);

}  // namespace halvora::platform
