// A fresh folder for one test's files, removed with everything in it.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace halvora::picture::testing {

class TempFolder {
 public:
  TempFolder() {
    static std::atomic<int> counter{0};
    std::random_device random;
    m_path = std::filesystem::temp_directory_path() /
             ("halvora-test-" + std::to_string(random()) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(m_path);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder's path with a trailing separator, as page folder paths end.
  std::u16string Prefix() const {
    return m_path.u16string() + static_cast<char16_t>(std::filesystem::path::preferred_separator);
  }
  std::u16string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream out(m_path / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return Prefix() + std::filesystem::path(name).u16string();
  }
  std::u16string MakeFolder(const std::string& name) const {
    std::filesystem::create_directories(m_path / name);
    return Prefix() + std::filesystem::path(name).u16string();
  }

 private:
  std::filesystem::path m_path;
};

}  // namespace halvora::picture::testing
