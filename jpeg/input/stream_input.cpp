#include "jpeg/input/stream_input.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace halvora::jpeg {

namespace {

constexpr int32_t kMaxSegmentBytes = 65535;

bool IsFileSource(const JpegStream& stream) { return stream.file != nullptr; }

void Advance(JpegStream& stream, int32_t count) {
  stream.position += count;
  stream.consumed += count;
  stream.remaining -= count;
}

// Makes at least one byte available: a file refills, a buffer has ended (-5).
int EnsureByte(JpegStream& stream) {
  if (stream.remaining > 0) return JpegSuccess;
  if (!IsFileSource(stream)) return JpegErrMemory;
  return RefillFileBuffer(stream);
}

}  // namespace

void ResetStream(JpegStream& stream) {
  if (IsFileSource(stream)) {
    stream.position = stream.file_buffer + kFileBufferBytes;
    stream.end = stream.position;
    stream.remaining = 0;
  }
  stream.bit_count = 0;
  stream.pending_marker = 0;
  stream.accumulator = 0;
  stream.sequential_component_count = 0;
}

void StartBufferInput(JpegStream& stream, const uint8_t* buffer, int32_t size) {
  // A read continues where the previous read of the record stopped in the
  // same buffer; another buffer (the image data that follows tables read
  // from a buffer of their own) is read from its start.
  const int32_t consumed = buffer == stream.start ? std::clamp(stream.consumed, 0, size) : 0;
  stream.accumulator = 0;
  stream.bit_count = 0;
  stream.pending_marker = 0;
  stream.start = buffer;
  stream.end = buffer + size;
  stream.total = size;
  stream.consumed = consumed;
  stream.position = buffer + consumed;
  stream.remaining = size - consumed;
}

void StartFileInput(JpegStream& stream) {
  // Each read tries the file afresh: it may stand elsewhere now.
  stream.file_ended = 0;
  stream.accumulator = 0;
  stream.bit_count = 0;
  stream.pending_marker = 0;
  stream.start = stream.file_buffer;
  stream.position = stream.file_buffer + kFileBufferBytes;
  stream.end = stream.position;
  stream.total = kFileBufferBytes;
  stream.remaining = 0;
}

int CloseStreamFile(JpegStream& stream) {
  if (stream.file == nullptr) return JpegSuccess;
  const bool closed = stream.file->Close();
  delete stream.file;
  stream.file = nullptr;
  return closed ? JpegSuccess : JpegErrCloseFile;
}

int RefillFileBuffer(JpegStream& stream) {
  // The end of the file is final: a scan cut short would otherwise try the
  // file again for every block left.
  if (stream.file_ended != 0) return JpegErrFile;
  const int64_t got = stream.file->Read(stream.file_buffer, kFileBufferBytes);
  // A failed read is final as well as the end of the file: searching an
  // empty buffer again would never end.
  if (got <= 0) {
    stream.file_ended = 1;
    return JpegErrFile;
  }
  stream.position = stream.file_buffer;
  stream.end = stream.file_buffer + got;
  stream.remaining = static_cast<int32_t>(got);
  return JpegSuccess;
}

int64_t SeekStreamFile(JpegStream& stream, int64_t offset, platform::SeekFrom from) {
  stream.file_ended = 0;
  return stream.file->Seek(offset, from);
}

int GetBytes(JpegStream& stream, int32_t count, const uint8_t** out) {
  *out = nullptr;
  if (stream.remaining < count) {
    if (!IsFileSource(stream)) return JpegErrMemory;
    const int refill = RefillFileBuffer(stream);
    if (refill != JpegSuccess) return refill;
    if (stream.remaining < count) return JpegErrInternal;
  }
  *out = stream.position;
  Advance(stream, count);
  return JpegSuccess;
}

int SkipToMarker(JpegStream& stream) {
  int result = EnsureByte(stream);
  if (result != JpegSuccess) return result;
  for (;;) {
    // Consume up to and including the next 0xFF, a buffer's worth at a
    // time: a scan passed over undecoded is searched here whole.
    for (;;) {
      result = EnsureByte(stream);
      if (result != JpegSuccess) return result;
      const void* found = std::memchr(stream.position, 0xFF, static_cast<size_t>(stream.remaining));
      if (found != nullptr) {
        Advance(stream, static_cast<int32_t>(static_cast<const uint8_t*>(found) - stream.position) + 1);
        break;
      }
      Advance(stream, stream.remaining);
    }
    result = EnsureByte(stream);
    if (result != JpegSuccess) return result;
    const uint8_t next = *stream.position;
    if (next == 0xFF) continue;  // a fill byte: the next candidate
    if (next == 0x00) {          // a stuffed zero
      Advance(stream, 1);
      continue;
    }
    return JpegSuccess;
  }
}

int ReadMarker(JpegStream& stream, int& code) {
  if (stream.pending_marker != 0) {
    code = stream.pending_marker;
    stream.pending_marker = 0;
    return JpegSuccess;
  }
  const int result = SkipToMarker(stream);
  if (result != JpegSuccess) return result;
  const uint8_t* byte = nullptr;
  code = GetBytes(stream, 1, &byte) == JpegSuccess ? *byte : kEndOfData;
  return JpegSuccess;
}

int GetSegmentBytes(JpegStream& stream, int32_t count, SegmentBytes& out) {
  out = SegmentBytes{};
  if (count <= stream.remaining) return GetBytes(stream, count, &out.data);

  std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[count]);
  if (!block) return JpegErrMemory;
  int32_t copied = stream.remaining;
  std::memcpy(block.get(), stream.position, static_cast<size_t>(copied));
  Advance(stream, copied);
  while (copied < count && count - copied <= kMaxSegmentBytes) {
    const int32_t piece = std::min(count - copied, kFileBufferBytes);
    const uint8_t* bytes = nullptr;
    if (GetBytes(stream, piece, &bytes) != JpegSuccess) return JpegErrData;
    std::memcpy(block.get() + copied, bytes, static_cast<size_t>(piece));
    copied += piece;
  }
  if (copied < count) return JpegErrData;
  out.data = block.get();
  out.owned = std::move(block);
  return JpegSuccess;
}

int ReadUint16(JpegStream& stream, int32_t& value) {
  SegmentBytes bytes;
  const int result = GetSegmentBytes(stream, 2, bytes);
  if (result != JpegSuccess) return result;
  value = (bytes.data[0] << 8) | bytes.data[1];
  return JpegSuccess;
}

int SkipSegment(JpegStream& stream) {
  int32_t length = 0;
  const int result = ReadUint16(stream, length);
  if (result != JpegSuccess) return result;
  if (length < 2) return JpegErrData;
  int32_t left = length - 2;
  const uint8_t* bytes = nullptr;
  if (left >= stream.remaining) {
    const int32_t available = stream.remaining;
    if (GetBytes(stream, available, &bytes) != JpegSuccess) return JpegErrData;
    left -= available;
  }
  while (left > 0) {
    const int32_t piece = std::min(left, kFileBufferBytes);
    if (GetBytes(stream, piece, &bytes) != JpegSuccess) return JpegErrData;
    left -= piece;
  }
  return JpegSuccess;
}

}  // namespace halvora::jpeg
