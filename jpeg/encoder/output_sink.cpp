#include "jpeg/encoder/output_sink.h"

#include <halvora/jpeg.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace halvora::jpeg {

int DeliverStaged(OutputSink& sink) {
  const size_t staged = static_cast<size_t>(sink.next - sink.staging);
  if (staged == 0) return JpegSuccess;
  if (sink.file != nullptr) {
    if (!sink.file->Write(sink.staging, staged)) return JpegErrFile;
  } else {
    // Nothing is written past the capacity: a stream that does not fit
    // stops at the first delivery that would overrun it.
    if (static_cast<int64_t>(staged) > sink.capacity - sink.delivered) return JpegErrOutputTooSmall;
    std::memcpy(sink.buffer + sink.delivered, sink.staging, staged);
  }
  sink.delivered += static_cast<int64_t>(staged);
  sink.next = sink.staging;
  return JpegSuccess;
}

OutputSink BufferSink(uint8_t* staging, size_t size, uint8_t* buffer, int64_t capacity) {
  return OutputSink{staging, staging + size, staging, buffer, capacity, 0, nullptr, nullptr};
}

int OpenFileSink(uint8_t* staging, size_t size, const char* fileName, OutputSink& sink) {
  sink = OutputSink{staging, staging + size, staging, nullptr, 0, 0, nullptr, fileName};
  sink.file = platform::CreateFileForWriting(fileName).release();
  if (sink.file != nullptr) return JpegSuccess;
  // A file that could not be opened is not this write's to remove.
  sink.file_name = nullptr;
  return JpegErrFileName;
}

int PutBytes(OutputSink& sink, const uint8_t* bytes, size_t count) {
  while (count > 0) {
    if (sink.next == sink.staging_end) {
      const int delivered = DeliverStaged(sink);
      if (delivered != JpegSuccess) return delivered;
    }
    const size_t piece = std::min(count, static_cast<size_t>(sink.staging_end - sink.next));
    std::memcpy(sink.next, bytes, piece);
    sink.next += piece;
    bytes += piece;
    count -= piece;
  }
  return JpegSuccess;
}

int FinishSink(OutputSink& sink) {
  const int delivered = DeliverStaged(sink);
  if (delivered != JpegSuccess) return delivered;
  if (sink.file == nullptr) return JpegSuccess;
  const std::unique_ptr<platform::WritableFile> file(sink.file);
  sink.file = nullptr;
  return file->Close() ? JpegSuccess : JpegErrCloseFile;
}

void DiscardSink(OutputSink& sink) {
  if (sink.file_name == nullptr) return;
  delete sink.file;  // closes it
  sink.file = nullptr;
  platform::RemoveWrittenFile(sink.file_name);
}

}  // namespace halvora::jpeg
