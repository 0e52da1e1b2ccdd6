#include "tests/jpeg/transcode_cases.h"

#include <algorithm>

#include "tests/jpeg/decode_support.h"
#include "tests/support/tsv_table.h"

namespace halvora::jpeg::testing {

std::vector<TranscodeCase> ReadTranscodeCases(const std::string& list, const std::vector<std::string>& prefixes) {
  std::vector<TranscodeCase> cases;
  for (const test_support::TsvRow& row : test_support::ReadTsv(OracleFolder() / list)) {
    const TranscodeCase entry{row["name"], row["stream"], row["original"]};
    const bool wanted = prefixes.empty() || std::any_of(prefixes.begin(), prefixes.end(), [&](const std::string& p) {
                          return entry.name.rfind(p, 0) == 0;
                        });
    if (wanted && !entry.original.empty()) cases.push_back(entry);
  }
  return cases;
}

}  // namespace halvora::jpeg::testing
