#include "tests/jpeg/encode_support.h"

#include <algorithm>
#include <cstring>

namespace halvora::jpeg::testing {

namespace {

// Channel c of the picture at (x, y): fine texture, a slow wave and a
// vertical edge a third of the way across, alike in every channel, over a
// gradient of each channel's own. The colour differences are smooth, as a
// photograph's mostly are, so subsampled chroma keeps them.
uint8_t PictureSample(int c, int x, int y, int width, int height) {
  const int gradient = (x * (30 + 15 * c)) / width + (y * (20 + 10 * c)) / height;
  const int wave = (x + 3 * y) % 32 < 16 ? (x + 3 * y) % 16 : 15 - (x + 3 * y) % 16;
  const int texture = ((x ^ y) & 1) * 5;
  const int edge = x > width / 3 ? 40 : 0;
  return static_cast<uint8_t>(gradient + 2 * wave + texture + edge + 10 * c);
}

size_t LineBytes(const WriteRequest& request, int width) {
  return static_cast<size_t>(width) * request.dib_channels + request.pad;
}

}  // namespace

WriteRequest RequestFor(int dibColor, int dibChannels, int jpegColor, int channels, int subsampling) {
  WriteRequest request;
  request.dib_color = dibColor;
  request.dib_channels = dibChannels;
  request.jpeg_color = jpegColor;
  request.channels = channels;
  request.subsampling = subsampling;
  return request;
}

Dib MakeDib(const WriteRequest& request, int width, int height) {
  Dib dib;
  dib.width = width;
  dib.height = height;
  dib.bytes.assign(LineBytes(request, width) * height, 0xA5);  // padding keeps this
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* pixel = const_cast<uint8_t*>(PixelOf(dib, request, x, y));
      for (int c = 0; c < request.dib_channels; ++c) pixel[c] = PictureSample(c, x, y, width, height);
    }
  }
  return dib;
}

const uint8_t* PixelOf(const Dib& dib, const WriteRequest& request, int x, int y) {
  const int line = request.bottom_up ? dib.height - 1 - y : y;
  return dib.bytes.data() + LineBytes(request, dib.width) * line + static_cast<size_t>(x) * request.dib_channels;
}

void PrepareWrite(JPEG_PROPERTIES& record, const WriteRequest& request, Dib& dib, std::vector<uint8_t>& stream) {
  record.dib_pixels = dib.bytes.data();
  record.dib_width = dib.width;
  record.dib_height = request.bottom_up ? -dib.height : dib.height;
  record.dib_pad_bytes = request.pad;
  record.dib_channels = request.dib_channels;
  record.dib_color = request.dib_color;
  record.jpeg_width = dib.width;
  record.jpeg_height = dib.height;
  record.jpeg_color = request.jpeg_color;
  record.jpeg_channels = request.channels;
  record.jpeg_subsampling = request.subsampling;
  record.quality = request.quality;
  record.state.restart_interval = request.restart_interval;
  record.state.optimize_huffman = request.optimize ? 1 : 0;
  record.state.progressive = request.progressive ? 1 : 0;
  if (!request.comment.empty()) {
    record.state.jpeg_comment = reinterpret_cast<unsigned char*>(const_cast<char*>(request.comment.data()));
    record.state.jpeg_comment_size = static_cast<int32_t>(request.comment.size());
  }
  stream.assign(static_cast<size_t>(JpegWriteBound(&record)), 0);
  record.jpeg_buffer = stream.data();
  record.jpeg_buffer_size = static_cast<int32_t>(stream.size());
}

int WriteStream(const WriteRequest& request, Dib& dib, std::vector<uint8_t>& stream, int ioType) {
  JPEG_PROPERTIES record;
  std::memset(&record, 0, sizeof record);
  int result = JpegInit(&record);
  if (result == JpegSuccess) {
    PrepareWrite(record, request, dib, stream);
    result = JpegWrite(&record, ioType);
    stream.resize(result == JpegSuccess ? static_cast<size_t>(record.jpeg_buffer_size) : 0);
  }
  JpegFree(&record);
  return result;
}

ColourSegments ColourSegmentsOf(const std::vector<uint8_t>& stream) {
  ColourSegments segments;
  // Segments from after SOI up to the first scan; each is FF, marker, length.
  for (size_t at = 2; at + 4 <= stream.size() && stream[at] == 0xFF && stream[at + 1] != 0xDA;) {
    const size_t length = (stream[at + 2] << 8) | stream[at + 3];
    const uint8_t* body = stream.data() + at + 4;
    const size_t bodySize = std::min(length - 2, stream.size() - at - 4);
    if (stream[at + 1] == 0xE0 && bodySize >= 5 && std::memcmp(body, "JFIF", 5) == 0) segments.jfif = true;
    if (stream[at + 1] == 0xEE && bodySize >= 12 && std::memcmp(body, "Adobe", 5) == 0) {
      segments.adobe_transform = body[11];
    }
    at += 2 + length;
  }
  return segments;
}

}  // namespace halvora::jpeg::testing
