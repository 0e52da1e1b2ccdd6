#include "tests/support/tsv_table.h"

#include <fstream>
#include <sstream>

namespace halvora::test_support {

std::vector<std::string> SplitFields(const std::string& text, char separator) {
  std::vector<std::string> fields;
  std::stringstream stream(text);
  std::string field;
  while (std::getline(stream, field, separator)) fields.push_back(field);
  return fields;
}

std::vector<TsvRow> ReadTsv(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  const std::vector<std::string> columns = SplitFields(line, '\t');
  std::vector<TsvRow> rows;
  while (std::getline(in, line)) {
    const std::vector<std::string> values = SplitFields(line, '\t');
    TsvRow row;
    for (size_t i = 0; i < columns.size(); ++i) row.fields[columns[i]] = i < values.size() ? values[i] : "";
    rows.push_back(row);
  }
  return rows;
}

}  // namespace halvora::test_support
