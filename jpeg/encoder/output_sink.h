// Where a write goes: the caller's buffer, up to its capacity, or a file.
// Every byte passes through the sink's staging area, which is delivered to
// the target when it fills and at the end.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/file.h"

namespace halvora::jpeg {

struct OutputSink {
  uint8_t* staging;      // the staging area...
  uint8_t* staging_end;  // ...and its end
  uint8_t* next;         // where the next byte is staged
  // A buffer target: bytes delivered so far and the capacity.
  uint8_t* buffer;
  int64_t capacity;
  int64_t delivered;
  // A file target (owned), and its name for removal after a failure.
  platform::WritableFile* file;
  const char* file_name;
};

// A sink that stages in [staging, staging + size) for the caller's buffer...
OutputSink BufferSink(uint8_t* staging, size_t size, uint8_t* buffer, int64_t capacity);
// ...or for a new file: -10 when it cannot be created.
int OpenFileSink(uint8_t* staging, size_t size, const char* fileName, OutputSink& sink);

// Moves what is staged to the target: 0, -28 (the buffer's capacity is
// reached) or -23 (the file write failed).
int DeliverStaged(OutputSink& sink);

// Makes room for `bytes` staged bytes (at most the staging area's size),
// delivering what is staged when there is too little. Inline: the coders
// ask before every MCU.
inline int ReserveRoom(OutputSink& sink, size_t bytes) {
  return static_cast<size_t>(sink.staging_end - sink.next) >= bytes ? 0 : DeliverStaged(sink);
}
// Stages `count` bytes, delivering as the staging area fills.
int PutBytes(OutputSink& sink, const uint8_t* bytes, size_t count);

// Ends a write: delivers what is staged and, for a file, closes it (-9 when
// the close fails). A buffer write's size is then `delivered`.
int FinishSink(OutputSink& sink);
// Ends a failed write: a file is closed and removed, so no part of a stream
// is left behind.
void DiscardSink(OutputSink& sink);

}  // namespace halvora::jpeg
