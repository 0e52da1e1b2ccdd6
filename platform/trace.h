// The one diagnostic trace routine of the program.
//
// Traces are silent unless HALVORA_TRACE names a file (or "-" for standard
// error); then every line is appended there. Nothing the program does depends
// on whether a trace was written.
#pragma once

#include <string>
#include <string_view>

namespace halvora::platform {

// printf-style; the text is UTF-8. UTF-16 arguments go through Utf8() first.
void Trace(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace halvora::platform
