// What a write asks for, taken from the record once its fields have passed
// every check, so that nothing is written for a record that would fail.
#pragma once

#include <halvora/jpeg.h>

#include <cstddef>
#include <cstdint>

namespace halvora::jpeg {

struct WriteSettings {
  int32_t io_type;
  bool tables;  // DQT and DHT segments (types 8 to 11)
  bool image;   // the frame and its scans (types 8, 9, 12, 13)
  int32_t quality;
  int32_t restart_interval;
  bool optimize_huffman;
  bool progressive;
  const uint8_t* comment;  // null: no COM segment
  int32_t comment_size;
  // The image: its size, colours and sampling...
  int32_t width;
  int32_t height;
  int32_t jpeg_color;
  int32_t channels;
  int32_t subsampling;
  // ...and the DIB it comes from, addressed by the line of each image row.
  const uint8_t* top_line;
  ptrdiff_t line_bytes;  // signed: negative for a bottom-up DIB
  int32_t dib_color;
  int32_t dib_channels;
  // Where it goes.
  const char* file_name;  // file types
  uint8_t* buffer;        // buffer types, with their capacity
  int64_t capacity;
};

// 0 and the settings, or the code of the first rule the record breaks: the
// rules every read and write shares, then the writer's own (write_settings.cpp).
int CheckWrite(const JPEG_PROPERTIES& record, int ioType, WriteSettings& settings);

}  // namespace halvora::jpeg
