// The program's own entry. The platform's start-up forms the command-line
// tail and calls it; the program defines it. Its result is the process's exit
// status.
#pragma once

#include <string>

namespace halvora {

int ProgramMain(std::u16string commandTail);

}  // namespace halvora
