// Writing streams for the encoder's tests: a picture in a DIB of any layout,
// and JpegWrite of it with the settings a test names.
#pragma once

#include <halvora/jpeg.h>

#include <cstdint>
#include <string>
#include <vector>

namespace halvora::jpeg::testing {

// What to write: the DIB's layout, the stream's colours and settings.
struct WriteRequest {
  int dib_color = JpegColorBgr;
  int dib_channels = 3;
  int jpeg_color = JpegColorYCbCr;
  int channels = 3;
  int subsampling = JpegSubsamplingNone;
  int quality = 100;
  int restart_interval = 0;
  bool optimize = false;
  bool progressive = false;
  bool bottom_up = false;
  int pad = 0;
  std::string comment;
};

// A request to write those DIB colours and channels as that stream colour,
// channels and sampling, the other fields as above.
WriteRequest RequestFor(int dibColor, int dibChannels, int jpegColor, int channels,
                        int subsampling = JpegSubsamplingNone);

// A DIB of `width` x `height` pixels laid out as `request` says, each
// channel a picture of its own: smooth gradients with fine texture and one
// sharp edge, the kind of content a photograph has, different per channel.
struct Dib {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bytes;
};
Dib MakeDib(const WriteRequest& request, int width, int height);

// The bytes of pixel (x, y) of the DIB, top line first whatever its order.
const uint8_t* PixelOf(const Dib& dib, const WriteRequest& request, int x, int y);

// Fills `record` (initialised) to write `dib` as `request` says, into
// `stream` sized to JpegWriteBound (for the buffer types).
void PrepareWrite(JPEG_PROPERTIES& record, const WriteRequest& request, Dib& dib, std::vector<uint8_t>& stream);

// JpegWrite of `dib` with a fresh record; `stream` holds the written bytes
// on success. Returns the result.
int WriteStream(const WriteRequest& request, Dib& dib, std::vector<uint8_t>& stream, int ioType = BufferWriteImage);

// The colour segments a written stream carries ahead of its first scan.
struct ColourSegments {
  bool jfif = false;         // an APP0 segment that starts "JFIF\0"
  int adobe_transform = -1;  // the transform byte of an APP14 "Adobe" segment; -1 when none
};
ColourSegments ColourSegmentsOf(const std::vector<uint8_t>& stream);

}  // namespace halvora::jpeg::testing
