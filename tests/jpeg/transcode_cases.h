// The lossless transcodes the oracle script lists (progressive.tsv,
// single-scans.tsv): each stream holds its original's coefficients, so its
// decodes must equal the original's.
#pragma once

#include <string>
#include <vector>

namespace halvora::jpeg::testing {

struct TranscodeCase {
  std::string name;
  std::string stream;    // file name in the oracle folder
  std::string original;  // the sequential interleaved stream it was made from
};

// The cases of one list in the oracle folder whose names start with one of
// `prefixes` (all of them when the list of prefixes is empty).
std::vector<TranscodeCase> ReadTranscodeCases(const std::string& list, const std::vector<std::string>& prefixes);

}  // namespace halvora::jpeg::testing
