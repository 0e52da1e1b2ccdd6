// The program: the one place that knows every subsystem and wires them.
#include "app/halvora_app.h"
#include "platform/native_shell.h"
#include "platform/program_entry.h"

namespace halvora {

int ProgramMain(std::u16string commandTail) {
  const auto shell = platform::CreateNativeShell({});
  CHalvoraApp app(*shell, std::move(commandTail));
  app.Startup();
  // The program sets no exit status of its own.
  return 0;
}

}  // namespace halvora
