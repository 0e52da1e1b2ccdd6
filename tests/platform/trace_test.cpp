#include "platform/trace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace halvora::platform {
namespace {

void SetTraceTarget(const char* value) {
#ifdef _WIN32
  _putenv_s("HALVORA_TRACE", value);
#else
  if (*value == '\0') {
    unsetenv("HALVORA_TRACE");
  } else {
    setenv("HALVORA_TRACE", value, 1);
  }
#endif
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(Trace, AppendsLinesToTheNamedFileAndIsSilentOtherwise) {
  const auto path = std::filesystem::temp_directory_path() / "halvora_trace_test.txt";
  std::filesystem::remove(path);

  SetTraceTarget("");
  Trace("silent %d\n", 1);
  EXPECT_FALSE(std::filesystem::exists(path));

  SetTraceTarget(path.string().c_str());
  Trace("Find file = %s.\n", "a.jpg");
  Trace("LangID = 0x%04x.\n", 0x411);
  SetTraceTarget("");
  EXPECT_EQ(ReadAll(path), "Find file = a.jpg.\nLangID = 0x0411.\n");
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace halvora::platform
