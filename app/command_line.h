// Options on the command-line tail.
#pragma once

#include <string>
#include <string_view>

namespace halvora {

// Looks for the option `name` after a '-' or '/' anywhere in `tail` (the
// leftmost match, compared case-sensitively as a prefix). With '=' right after
// the name, the value runs up to the first blank or the end of the tail. The
// option found is removed from `tail` in place, so later searches do not see
// it. True when the option is present (with or without a value).
bool ParseOptionValue(std::u16string& tail, std::u16string_view name, std::u16string& value);

}  // namespace halvora
