// What the tool's commands share: the usage text, option values, failure
// reports and the whole-file read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace halvora::tools {

// The usage text: on standard output for --help, on standard error (with
// exit status 2) for wrong usage.
void PrintUsage(std::FILE* stream);
int UsageError();

// "error <code>: <text>" on standard error; exit status 1.
int CodecError(int code);
// "hjpeg: <message>" on standard error; returns `status`.
int ToolError(const std::string& message, int status = 1);

// A decimal number in [low, high].
bool ParseNumber(const char* text, int low, int high, int& value);

// Applies a --cpu kind (-1: none was given); false after saying why this
// build cannot.
bool ApplyProcessorKind(int kind);

bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes);

}  // namespace halvora::tools
