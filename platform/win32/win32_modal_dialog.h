// Runs a dialog from a template in memory, with its logic behind the dialog
// host interface.
#pragma once

#include <cstdint>

#include "platform/native_shell.h"

namespace halvora::platform {

// Creates the dialog with no owner, centres it, and runs it until it ends;
// its end result, or -1 when it could not be created.
intptr_t RunModalDialogFromTemplate(const void* dialogTemplate, uint16_t language,
                                    const DialogHandlerFactory& createDialog);

}  // namespace halvora::platform
