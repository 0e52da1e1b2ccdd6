#include "tests/support/scratch_path.h"

#if defined(_WIN32)
#include <process.h>
#define HALVORA_PROCESS_ID _getpid
#else
#include <unistd.h>
#define HALVORA_PROCESS_ID getpid
#endif

namespace halvora::test_support {

std::filesystem::path ScratchPath(const std::string& name) {
  return std::filesystem::temp_directory_path() /
         ("halvora-" + std::to_string(HALVORA_PROCESS_ID()) + "-" + name);
}

}  // namespace halvora::test_support
