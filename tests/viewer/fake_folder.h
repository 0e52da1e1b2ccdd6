// A page folder whose enumeration delivers fixed names in a fixed order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/directory.h"
#include "viewer/instruction_dlg.h"

namespace halvora::viewer::testing {

struct FakeFolderLog {
  std::vector<std::u16string> patterns;
  int closed = 0;
};

class FakeEnumeration final : public platform::DirectoryEnumeration {
 public:
  FakeEnumeration(std::vector<std::u16string> names, FakeFolderLog& log)
      : m_names(std::move(names)), m_log(log) {}
  ~FakeEnumeration() override { ++m_log.closed; }
  bool Next(std::u16string& name) override {
    if (m_next >= m_names.size()) return false;
    name = m_names[m_next++];
    return true;
  }

 private:
  std::vector<std::u16string> m_names;
  size_t m_next = 1;  // the first name came with the opening
  FakeFolderLog& m_log;
};

// No names: the folder cannot be enumerated at all.
inline CInstructionDlg::FolderEnumerator FakeFolder(std::vector<std::u16string> names,
                                                    FakeFolderLog& log) {
  return [names, &log](std::u16string_view pattern,
                       std::u16string& first) -> std::unique_ptr<platform::DirectoryEnumeration> {
    log.patterns.emplace_back(pattern);
    if (names.empty()) return nullptr;
    first = names.front();
    return std::make_unique<FakeEnumeration>(names, log);
  };
}

}  // namespace halvora::viewer::testing
