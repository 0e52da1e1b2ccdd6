#include "jpeg/encoder/write_settings.h"

#include "jpeg/interface/dib_geometry.h"
#include "jpeg/interface/io_types.h"
#include "jpeg/interface/validate.h"
#include "jpeg/markers/frame.h"

namespace halvora::jpeg {

namespace {

constexpr int32_t kMaxRestartInterval = 65535;  // the 16 bits of a DRI segment
constexpr int32_t kMaxCommentBytes = 65533;     // a segment's length field counts itself

// Settings of the stream alone, before the DIB is looked at.
int CheckStreamSettings(const JPEG_PROPERTIES& p, int ioType) {
  if (p.quality < 1 || p.quality > 100) return JpegErrInvalidProperties;
  const JpegState& state = p.state;
  if (state.restart_interval < 0 || state.restart_interval > kMaxRestartInterval) return JpegErrInvalidProperties;
  // The tables-only and the table-less streams share the example tables.
  const bool split = ioType != FileWriteImage && ioType != BufferWriteImage;
  if (split && (state.optimize_huffman != 0 || state.progressive != 0)) return JpegErrInvalidProperties;
  // A frame of more components than the codec reads back.
  if (p.jpeg_channels > kMaxComponents) return JpegErrComp;
  if (state.jpeg_comment != nullptr && (state.jpeg_comment_size < 0 || state.jpeg_comment_size > kMaxCommentBytes)) {
    return JpegErrComment;
  }
  return JpegSuccess;
}

// The DIB must hold the whole image and every one of its lines must be
// addressable; its own packed subsampling is a reading layout only.
int CheckDib(const JPEG_PROPERTIES& p) {
  if (p.dib_subsampling != 0) return JpegErrUnsupportedSubsampling;
  const int64_t lines = p.dib_height < 0 ? -int64_t{p.dib_height} : p.dib_height;
  if (p.dib_width < p.jpeg_width || lines < p.jpeg_height) return JpegErrInvalidProperties;
  const int64_t lineBytes = DibLineBytes(p.dib_width, p.dib_channels, p.dib_pad_bytes);
  return DibAddressable(p.dib_pixels, lineBytes, lines) ? JpegSuccess : JpegErrInvalidProperties;
}

void TakeSettings(const JPEG_PROPERTIES& p, int ioType, WriteSettings& s) {
  s = WriteSettings{};
  s.io_type = ioType;
  s.tables = ioType != FileWriteImageData && ioType != BufferWriteImageData;
  s.image = ioType != FileWriteHeader && ioType != BufferWriteHeader;
  s.quality = p.quality;
  s.restart_interval = p.state.restart_interval;
  s.optimize_huffman = p.state.optimize_huffman != 0;
  s.progressive = p.state.progressive != 0;
  if (p.state.jpeg_comment != nullptr && p.state.jpeg_comment_size > 0) {
    s.comment = p.state.jpeg_comment;
    s.comment_size = p.state.jpeg_comment_size;
  }
  s.width = p.jpeg_width;
  s.height = p.jpeg_height;
  s.jpeg_color = p.jpeg_color;
  s.channels = p.jpeg_channels;
  s.subsampling = p.jpeg_subsampling;
  s.dib_color = p.dib_color;
  s.dib_channels = p.dib_channels;
  const int64_t lineBytes = DibLineBytes(p.dib_width, p.dib_channels, p.dib_pad_bytes);
  s.line_bytes = static_cast<ptrdiff_t>(p.dib_height < 0 ? -lineBytes : lineBytes);
  // A bottom-up DIB keeps the top image line in its last line.
  s.top_line = p.dib_pixels;
  if (p.dib_height < 0 && p.dib_pixels != nullptr) s.top_line = p.dib_pixels + (-p.dib_height - 1) * lineBytes;
  s.file_name = p.jpeg_file_name;
  // Writes go through the caller's buffer, which the record holds as
  // read-only for the sake of readers.
  s.buffer = const_cast<uint8_t*>(p.jpeg_buffer);
  s.capacity = p.jpeg_buffer_size;
}

}  // namespace

int CheckWrite(const JPEG_PROPERTIES& p, int ioType, WriteSettings& settings) {
  const int shared = ValidateProperties(p, ioType, Direction::kWrite);
  if (shared != JpegSuccess) return shared;
  const int stream = CheckStreamSettings(p, ioType);
  if (stream != JpegSuccess) return stream;
  if (UsesDib(ioType)) {
    const int dib = CheckDib(p);
    if (dib != JpegSuccess) return dib;
  }
  TakeSettings(p, ioType, settings);
  return JpegSuccess;
}

}  // namespace halvora::jpeg
