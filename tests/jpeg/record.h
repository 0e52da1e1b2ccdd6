// A JPEG_PROPERTIES record that is initialised on construction and freed on
// destruction, with helpers for the common reads.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include <halvora/jpeg.h>

namespace halvora::jpeg::testing {

class Record {
 public:
  Record() {
    std::memset(&props_, 0, sizeof props_);
    init_result_ = JpegInit(&props_);
  }
  ~Record() { JpegFree(&props_); }
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;

  JPEG_PROPERTIES* operator->() { return &props_; }
  JPEG_PROPERTIES& get() { return props_; }
  int init_result() const { return init_result_; }

  int ReadBuffer(const std::vector<uint8_t>& stream, int ioType = BufferReadParams) {
    props_.jpeg_buffer = stream.data();
    props_.jpeg_buffer_size = static_cast<int32_t>(stream.size());
    return JpegRead(&props_, ioType);
  }
  int ReadFile(const char* path, int ioType = FileReadParams) {
    props_.jpeg_file_name = path;
    return JpegRead(&props_, ioType);
  }
  void UseDib(std::vector<uint8_t>& pixels, int width, int height, int channels, int color) {
    props_.dib_pixels = pixels.data();
    props_.dib_width = width;
    props_.dib_height = height;
    props_.dib_channels = channels;
    props_.dib_color = color;
  }

 private:
  JPEG_PROPERTIES props_;
  int init_result_;
};

}  // namespace halvora::jpeg::testing
