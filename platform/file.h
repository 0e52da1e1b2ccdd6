// Files: page pictures and the codec's file input and output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace halvora::platform {

enum class SeekFrom { kStart, kCurrent, kEnd };

class ReadableFile {
 public:
  virtual ~ReadableFile() = default;  // closes the file if Close() was not called

  // Bytes read (0 at the end of the file), or -1 when the read failed.
  virtual int64_t Read(void* buffer, size_t count) = 0;
  // New position, or -1 when the move failed (a position before the start fails).
  virtual int64_t Seek(int64_t offset, SeekFrom from) = 0;
  // Size in bytes, or -1 when it cannot be had.
  virtual int64_t Size() = 0;
  // Releases the handle; false when the system reports a failed close. The
  // handle is gone either way.
  virtual bool Close() = 0;
};

// Opens an existing file for reading, letting others read it too; null on failure.
std::unique_ptr<ReadableFile> OpenFileForReading(std::u16string_view path);
// The same for an 8-bit name (the system code page on Windows, bytes elsewhere).
std::unique_ptr<ReadableFile> OpenFileForReading(const char* path);

class WritableFile {
 public:
  virtual ~WritableFile() = default;  // closes the file if Close() was not called

  // Writes all `count` bytes; false when the system failed to.
  virtual bool Write(const void* bytes, size_t count) = 0;
  // Releases the handle; false when the system reports a failed close (the
  // data may not have reached the file). The handle is gone either way.
  virtual bool Close() = 0;
};

// Creates the file, or truncates an existing one, for writing alone; null on
// failure. The name is 8-bit, as for OpenFileForReading.
std::unique_ptr<WritableFile> CreateFileForWriting(const char* path);
// Removes a file that a failed write left behind. Only an ordinary file is
// removed: a device or pipe named as the output stays. False when nothing
// was removed.
bool RemoveWrittenFile(const char* path);

}  // namespace halvora::platform
