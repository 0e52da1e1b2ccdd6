// hjpeg: the codec's command-line tool (info, decode, encode, bench), built on the
// codec's public interface alone. `hjpeg --help` prints what it does.
//
// Exit status: 0 on success, 1 when a command fails (a codec failure prints
// "error <code>: <text>", anything else "hjpeg: <message>"), 2 for wrong
// usage.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include <halvora/jpeg.h>

#include "tools/command_line.h"
#include "tools/commands.h"

namespace {

using namespace halvora::tools;

bool AsksFor(int argc, char** argv, const char* longName, const char* shortName) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], longName) == 0 || (shortName != nullptr && std::strcmp(argv[i], shortName) == 0)) {
      return true;
    }
  }
  return false;
}

int PrintVersion() {
  const JpegVersionInfo* version = JpegGetVersion();
  std::printf("%s %s %s\n", version->name, version->version, version->internal_version);
  return 0;
}

int Run(int argc, char** argv) {
  if (AsksFor(argc, argv, "--help", "-h")) {
    PrintUsage(stdout);
    return 0;
  }
  if (AsksFor(argc, argv, "--version", nullptr)) return PrintVersion();
  if (argc < 2) return UsageError();
  const std::string command = argv[1];
  if (command == "info") return InfoCommand(argc - 2, argv + 2);
  if (command == "decode") return DecodeCommand(argc - 2, argv + 2);
  if (command == "encode") return EncodeCommand(argc - 2, argv + 2);
  if (command == "bench") return BenchCommand(argc - 2, argv + 2);
  return UsageError();
}

}  // namespace

int main(int argc, char** argv) {
  // The codec reports its own allocation failures as -5; this is every
  // other one (the image, the stream in memory), which must end the run
  // with a message rather than an abort.
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "hjpeg: out of memory\n");
    return 1;
  }
}
