// The tool's commands; each takes the arguments after its name and answers
// with the process's exit status.
#pragma once

namespace halvora::tools {

int InfoCommand(int count, char** arguments);
int DecodeCommand(int count, char** arguments);
int EncodeCommand(int count, char** arguments);
int BenchCommand(int count, char** arguments);

}  // namespace halvora::tools
