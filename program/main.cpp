// The program: the one place that knows every subsystem and wires them.
#include <memory>

#include "app/halvora_app.h"
#include "platform/native_shell.h"
#include "platform/program_entry.h"
#include "viewer/instruction_dlg.h"

namespace halvora {

int ProgramMain(std::u16string commandTail) {
  // The dialog asks the application for its page folder when it starts,
  // which is after the application has formed it.
  const CHalvoraApp* application = nullptr;
  const auto shell = platform::CreateNativeShell([&application](platform::DialogHost& host) {
    return std::make_unique<viewer::CInstructionDlg>(host, [&application] { return application->GetPageDirString(); });
  });
  CHalvoraApp app(*shell, std::move(commandTail));
  application = &app;
  app.Startup();
  // The program sets no exit status of its own.
  return 0;
}

}  // namespace halvora
