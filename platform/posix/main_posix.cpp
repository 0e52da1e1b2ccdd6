#include "platform/command_tail.h"
#include "platform/program_entry.h"

int main(int argc, char** argv) {
  return halvora::ProgramMain(halvora::platform::JoinArguments(argc, argv));
}
