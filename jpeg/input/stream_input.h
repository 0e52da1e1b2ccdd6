// Reading the stream: bytes from a caller's buffer or from a file through the
// record's 4096-byte buffer, marker search and segment payloads.
#pragma once

#include <cstdint>
#include <memory>

#include <halvora/jpeg.h>
#include "platform/file.h"

namespace halvora::jpeg {

struct KernelTable;

inline constexpr int kFileBufferBytes = 4096;

// The input of a read: a caller's buffer or a file read in 4096-byte blocks,
// and the bit reader's state inside entropy-coded data.
struct JpegStream {
  uint64_t accumulator;
  KernelTable* kernels;
  int32_t bit_count;
  const uint8_t* position;
  const uint8_t* start;
  const uint8_t* end;
  int32_t consumed;
  int32_t total;
  int32_t remaining;
  int32_t end_of_band_run;
  uint8_t* top_line;  // DIB address of the top image line
  uint8_t pending_marker;
  int32_t processor_kind;
  int32_t sequential_component_count;
  platform::ReadableFile* file;  // owned; null for a buffer source
  // The file has ended (or failed): no read is tried again until the file is
  // moved, however often the decoders ask for bytes.
  int32_t file_ended;
  uint8_t file_buffer[kFileBufferBytes];
};

// ReadMarker's code for the end of the data.
inline constexpr int kEndOfData = 256;

// A segment payload: in place when it lies wholly in the current buffer,
// otherwise a heap copy that `owned` releases.
struct SegmentBytes {
  const uint8_t* data = nullptr;
  std::unique_ptr<uint8_t[]> owned;
};

void ResetStream(JpegStream& stream);
int RefillFileBuffer(JpegStream& stream);
int GetBytes(JpegStream& stream, int32_t count, const uint8_t** out);
int SkipToMarker(JpegStream& stream);
int ReadMarker(JpegStream& stream, int& code);
int GetSegmentBytes(JpegStream& stream, int32_t count, SegmentBytes& out);
int ReadUint16(JpegStream& stream, int32_t& value);
int SkipSegment(JpegStream& stream);

// Points a buffer source at the unread part of `buffer`, or a file source at
// an empty file buffer (the next access refills).
void StartBufferInput(JpegStream& stream, const uint8_t* buffer, int32_t size);
void StartFileInput(JpegStream& stream);
// Closes and forgets the stream's file: 0, or -9 when the close failed.
int CloseStreamFile(JpegStream& stream);
// Moves the stream's file; the new position, or a negative value on failure.
int64_t SeekStreamFile(JpegStream& stream, int64_t offset, platform::SeekFrom from);

}  // namespace halvora::jpeg
