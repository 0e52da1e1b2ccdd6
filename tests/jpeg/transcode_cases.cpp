#include "tests/jpeg/transcode_cases.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "tests/jpeg/decode_support.h"

namespace halvora::jpeg::testing {

std::vector<TranscodeCase> ReadTranscodeCases(const std::string& list, const std::vector<std::string>& prefixes) {
  std::vector<TranscodeCase> cases;
  std::ifstream in(OracleFolder() / list);
  std::string line;
  while (std::getline(in, line)) {
    std::stringstream fields(line);
    TranscodeCase entry;
    std::getline(fields, entry.name, '\t');
    std::getline(fields, entry.stream, '\t');
    std::getline(fields, entry.original, '\t');
    const bool wanted = prefixes.empty() || std::any_of(prefixes.begin(), prefixes.end(), [&](const std::string& p) {
                          return entry.name.rfind(p, 0) == 0;
                        });
    if (wanted && !entry.original.empty()) cases.push_back(entry);
  }
  return cases;
}

}  // namespace halvora::jpeg::testing
