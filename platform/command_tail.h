// The command-line tail: the command line without the program's name. The
// shell searches it for options and removes each option it consumes.
#pragma once

#include <string>
#include <string_view>

namespace halvora::platform {

// From a whole Windows command line: a name in double quotes is skipped up to
// and past its closing quote, any other name up to the first character at or
// below U+0020; then the blanks and control characters after it.
std::u16string FormCommandTail(std::u16string_view commandLine);

// Where arguments come as a vector: the arguments after the program's name,
// joined by single blanks.
std::u16string JoinArguments(int argc, const char* const* argv);

}  // namespace halvora::platform
