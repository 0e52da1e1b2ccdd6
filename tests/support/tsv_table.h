// Tab-separated tables whose first line names the columns: the corpus's
// MANIFEST.tsv and the case lists the oracle script writes. Tests name the
// column they read, so a column added to a table cannot shift another.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace halvora::test_support {

struct TsvRow {
  std::map<std::string, std::string> fields;
  // Throws std::out_of_range for a column the table does not have.
  const std::string& operator[](const std::string& column) const { return fields.at(column); }
};

// The rows after the header; a row that ends early holds "" in the columns it
// lacks. No rows when the file cannot be read, so a case list built from a
// missing table is empty rather than a crash before the tests start.
std::vector<TsvRow> ReadTsv(const std::filesystem::path& path);

// The fields of `text` between `separator`s (also for lists inside a field,
// such as "2x2,1x1,1x1").
std::vector<std::string> SplitFields(const std::string& text, char separator);

}  // namespace halvora::test_support
