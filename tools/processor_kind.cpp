#include "tools/processor_kind.h"

#include <cstdlib>
#include <string>

namespace halvora::tools {

#ifdef _WIN32

bool UseProcessorKind(int) { return false; }

#else

bool UseProcessorKind(int kind) { return setenv("HALVORA_JPEG_USECPU", std::to_string(kind).c_str(), 1) == 0; }

#endif

}  // namespace halvora::tools
