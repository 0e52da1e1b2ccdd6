#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/file.h"
#include "platform/posix/posix_path.h"
#include "platform/text.h"

namespace halvora::platform {

namespace {

// Closes `fd` unless it is closed already, and marks it closed either way.
bool CloseOnce(int& fd) {
  if (fd < 0) return true;
  const int result = ::close(fd);
  fd = -1;
  return result == 0;
}

class PosixFile final : public ReadableFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { Close(); }

  int64_t Read(void* buffer, size_t count) override {
    if (fd_ < 0) return -1;
    ssize_t got;
    do {
      got = ::read(fd_, buffer, count);
    } while (got < 0 && errno == EINTR);
    return got;
  }

  int64_t Seek(int64_t offset, SeekFrom from) override {
    if (fd_ < 0) return -1;
    const int whence = from == SeekFrom::kStart ? SEEK_SET : from == SeekFrom::kCurrent ? SEEK_CUR : SEEK_END;
    return ::lseek(fd_, static_cast<off_t>(offset), whence);
  }

  int64_t Size() override {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) return -1;
    return info.st_size;
  }

  bool Close() override { return CloseOnce(fd_); }

 private:
  int fd_;
};

class PosixWritableFile final : public WritableFile {
 public:
  explicit PosixWritableFile(int fd) : fd_(fd) {}
  ~PosixWritableFile() override { Close(); }

  bool Write(const void* bytes, size_t count) override {
    const auto* next = static_cast<const char*>(bytes);
    while (count > 0 && fd_ >= 0) {
      const ssize_t put = ::write(fd_, next, count);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      next += put;
      count -= static_cast<size_t>(put);
    }
    return count == 0;
  }

  bool Close() override { return CloseOnce(fd_); }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<WritableFile> CreateFileForWriting(const char* path) {
  if (path == nullptr) return nullptr;
  const std::string native = ToNativePath(path);
  const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixWritableFile>(fd);
}

bool RemoveWrittenFile(const char* path) {
  if (path == nullptr) return false;
  const std::string native = ToNativePath(path);
  struct stat info {};
  if (::lstat(native.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return ::unlink(native.c_str()) == 0;
}

std::unique_ptr<ReadableFile> OpenFileForReading(const char* path) {
  if (path == nullptr) return nullptr;
  const std::string native = ToNativePath(path);
  const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixFile>(fd);
}

std::unique_ptr<ReadableFile> OpenFileForReading(std::u16string_view path) {
  return OpenFileForReading(Utf8(path).c_str());
}

}  // namespace halvora::platform
