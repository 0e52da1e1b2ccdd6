// Paths for files a test writes and removes again. A test program runs in
// several processes at once (once per kernel set), so each name carries the
// process's id and the runs never share a file.
#pragma once

#include <filesystem>
#include <string>

namespace halvora::test_support {

// `name` in the system's temporary folder, unique to this process.
std::filesystem::path ScratchPath(const std::string& name);

}  // namespace halvora::test_support
