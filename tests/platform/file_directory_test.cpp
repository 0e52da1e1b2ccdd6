#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/directory.h"
#include "platform/file.h"
#include "platform/text.h"

namespace halvora::platform {
namespace {

namespace fs = std::filesystem;

// A scratch folder of the test's own, removed at the end.
class ScratchFolder {
 public:
  ScratchFolder() : path_(fs::temp_directory_path() / ("halvora_platform_" + std::to_string(counter_++))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ScratchFolder() { fs::remove_all(path_); }

  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
  }
  // The folder in the Windows form the program uses: '\' separators, with a trailing one.
  std::u16string WindowsStyle() const {
    std::string text = path_.string();
    for (char& c : text) {
      if (c == '/') c = '\\';
    }
    return Utf16(text + "\\");
  }
  const fs::path& path() const { return path_; }

 private:
  static inline int counter_ = 0;
  fs::path path_;
};

std::set<std::u16string> EnumerateAll(std::u16string_view pattern) {
  std::set<std::u16string> names;
  std::u16string name;
  auto enumeration = EnumerateFirst(pattern, name);
  if (!enumeration) return names;
  do {
    EXPECT_TRUE(names.insert(name).second) << "delivered twice: " << Utf8(name);
  } while (enumeration->Next(name));
  EXPECT_FALSE(enumeration->Next(name)) << "an exhausted enumeration stays exhausted";
  return names;
}

TEST(Directory, StarDotStarDeliversEveryEntryOnce) {
  ScratchFolder folder;
  folder.Write("a.jpg", "x");
  folder.Write("notes.txt", "x");
  folder.Write("noextension", "x");
  fs::create_directory(folder.path() / "x.jpg");
  const std::set<std::u16string> expected = {u".", u"..", u"a.jpg", u"notes.txt", u"noextension", u"x.jpg"};
  EXPECT_EQ(EnumerateAll(folder.WindowsStyle() + u"*.*"), expected);
}

TEST(Directory, PatternsAndMissingFolders) {
  ScratchFolder folder;
  folder.Write("a.jpg", "x");
  folder.Write("B.JPG", "x");
  folder.Write("c.bmp", "x");
  EXPECT_EQ(EnumerateAll(folder.WindowsStyle() + u"*.jpg"), (std::set<std::u16string>{u"a.jpg", u"B.JPG"}));
  EXPECT_TRUE(EnumerateAll(folder.WindowsStyle() + u"*.png").empty());
  std::u16string name;
  EXPECT_EQ(EnumerateFirst(folder.WindowsStyle() + u"missing\\*.*", name), nullptr);
}

TEST(File, ReadsSeeksAndReportsSize) {
  ScratchFolder folder;
  folder.Write("page.bin", "0123456789");
  auto file = OpenFileForReading(folder.WindowsStyle() + u"page.bin");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Size(), 10);
  char buffer[16] = {};
  EXPECT_EQ(file->Read(buffer, 4), 4);
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_EQ(file->Seek(-2, SeekFrom::kCurrent), 2);
  EXPECT_EQ(file->Read(buffer, sizeof buffer), 8);
  EXPECT_EQ(std::string(buffer, 8), "23456789");
  EXPECT_EQ(file->Read(buffer, sizeof buffer), 0) << "end of file";
  EXPECT_EQ(file->Seek(0, SeekFrom::kStart), 0);
  EXPECT_EQ(file->Seek(-1, SeekFrom::kStart), -1) << "before the start";
  EXPECT_TRUE(file->Close());
  EXPECT_EQ(file->Read(buffer, 1), -1) << "a closed file reads nothing";
}

TEST(File, EightBitNamesAndFailures) {
  ScratchFolder folder;
  folder.Write("a.jpg", "xyz");
  auto file = OpenFileForReading((folder.path() / "a.jpg").string().c_str());
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Size(), 3);
  EXPECT_EQ(OpenFileForReading((folder.path() / "missing.jpg").string().c_str()), nullptr);
  EXPECT_EQ(OpenFileForReading(static_cast<const char*>(nullptr)), nullptr);
  // A folder is not a readable file: either it does not open or every read fails.
  auto folderAsFile = OpenFileForReading(folder.path().string().c_str());
  char byte;
  if (folderAsFile) {
    EXPECT_EQ(folderAsFile->Read(&byte, 1), -1);
  }
}

}  // namespace
}  // namespace halvora::platform
