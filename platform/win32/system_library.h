// Libraries the program loads itself come from the system folder alone. The
// guide is run from wherever it was unpacked, often a downloads folder, and
// anyone who can write a DLL of a wanted name there would otherwise run code
// as the user the moment the guide starts.
#pragma once

#include <windows.h>

namespace halvora::platform {

// Keeps every later load that names no full path, the system's own included,
// out of the program's folder and the current directory. Called first thing;
// does nothing where the system lacks the call (Windows 7 before its loader
// update), where LoadSystemLibrary still names the system folder in full.
void RestrictLibrarySearchToSystemFolder();

// `name` (e.g. L"msvfw32.dll") from the system folder, its own imports
// searched there too; null, with the reason traced, when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The address of entry point `name` of `library`; null, with the name traced,
// when the library lacks it (or is null itself).
FARPROC FindEntryPoint(HMODULE library, const char* name);

// The same, as the function type Fn the caller declares for it.
template <typename Fn>
Fn EntryPoint(HMODULE library, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(FindEntryPoint(library, name)));
}

}  // namespace halvora::platform
