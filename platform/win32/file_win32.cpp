#include <windows.h>

#include <string>

#include "platform/file.h"

namespace halvora::platform {

namespace {

// Closes `handle` unless it is closed already, and marks it closed either way.
bool CloseOnce(HANDLE& handle) {
  if (handle == INVALID_HANDLE_VALUE) return true;
  const BOOL closed = ::CloseHandle(handle);
  handle = INVALID_HANDLE_VALUE;
  return closed != FALSE;
}

class Win32File final : public ReadableFile {
 public:
  explicit Win32File(HANDLE handle) : handle_(handle) {}
  ~Win32File() override { Close(); }

  int64_t Read(void* buffer, size_t count) override {
    if (handle_ == INVALID_HANDLE_VALUE) return -1;
    // ReadFile takes a 32-bit count; larger requests are read in pieces.
    auto* out = static_cast<char*>(buffer);
    int64_t total = 0;
    while (count > 0) {
      const DWORD piece = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
      DWORD got = 0;
      if (!::ReadFile(handle_, out + total, piece, &got, nullptr)) return -1;
      total += got;
      count -= got;
      if (got < piece) break;
    }
    return total;
  }

  int64_t Seek(int64_t offset, SeekFrom from) override {
    if (handle_ == INVALID_HANDLE_VALUE) return -1;
    const DWORD method = from == SeekFrom::kStart ? FILE_BEGIN : from == SeekFrom::kCurrent ? FILE_CURRENT : FILE_END;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    if (!::SetFilePointerEx(handle_, distance, &position, method)) return -1;
    return position.QuadPart;
  }

  int64_t Size() override {
    LARGE_INTEGER size;
    if (handle_ == INVALID_HANDLE_VALUE || !::GetFileSizeEx(handle_, &size)) return -1;
    return size.QuadPart;
  }

  bool Close() override { return CloseOnce(handle_); }

 private:
  HANDLE handle_;
};

class Win32WritableFile final : public WritableFile {
 public:
  explicit Win32WritableFile(HANDLE handle) : handle_(handle) {}
  ~Win32WritableFile() override { Close(); }

  bool Write(const void* bytes, size_t count) override {
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    // WriteFile takes a 32-bit count; larger blocks are written in pieces.
    const auto* next = static_cast<const char*>(bytes);
    while (count > 0) {
      const DWORD piece = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
      DWORD put = 0;
      if (!::WriteFile(handle_, next, piece, &put, nullptr) || put == 0) return false;
      next += put;
      count -= put;
    }
    return true;
  }

  bool Close() override { return CloseOnce(handle_); }

 private:
  HANDLE handle_;
};

std::unique_ptr<ReadableFile> Adopt(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32File>(handle);
}

}  // namespace

std::unique_ptr<ReadableFile> OpenFileForReading(std::u16string_view path) {
  const std::wstring name(path.begin(), path.end());
  return Adopt(::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::unique_ptr<ReadableFile> OpenFileForReading(const char* path) {
  if (path == nullptr) return nullptr;
  return Adopt(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::unique_ptr<WritableFile> CreateFileForWriting(const char* path) {
  if (path == nullptr) return nullptr;
  const HANDLE handle =
      ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32WritableFile>(handle);
}

bool RemoveWrittenFile(const char* path) {
  if (path == nullptr) return false;
  // Device names (NUL, CON) are no ordinary files and are left alone.
  const DWORD attributes = ::GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
    return false;
  }
  return ::DeleteFileA(path) != FALSE;
}

}  // namespace halvora::platform
