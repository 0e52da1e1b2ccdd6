// Reading a given number of bytes from a file, or failing.
#pragma once

#include <cstddef>

#include "platform/file.h"

namespace halvora::picture {

// False when the file ends or a read fails before `count` bytes arrived.
bool ReadExactly(platform::ReadableFile& file, void* buffer, size_t count);

}  // namespace halvora::picture
