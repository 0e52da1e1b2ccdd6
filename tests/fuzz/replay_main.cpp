// Replays the inputs of a fuzzer's regression corpus through its entry, one
// file after another, for the builds that have no fuzzing engine. Each input
// once made the fuzzer fail; the sanitizer builds see it if one fails again.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  int replayed = 0;
  // A fuzzer that never failed has no regression inputs yet.
  std::error_code missing;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1], missing)) {
    if (!entry.is_regular_file() || entry.path().filename().string().front() == '.') continue;
    std::ifstream file(entry.path(), std::ios::binary);
    const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(file), {});
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    ++replayed;
  }
  std::printf("%d inputs replayed from %s\n", replayed, argv[1]);
  return 0;
}
