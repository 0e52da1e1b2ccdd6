#include <windows.h>

#include "platform/command_tail.h"
#include "platform/program_entry.h"
#include "platform/win32/system_library.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  halvora::platform::RestrictLibrarySearchToSystemFolder();
  const wchar_t* line = ::GetCommandLineW();
  const std::u16string commandLine(line, line + ::wcslen(line));
  return halvora::ProgramMain(halvora::platform::FormCommandTail(commandLine));
}
