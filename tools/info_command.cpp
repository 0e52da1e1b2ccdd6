// hjpeg info FILE: the codec's parameter read, and the tool's own walk over
// the marker segments for what the public fields do not carry.
#include <cstdio>
#include <cstring>
#include <vector>

#include <halvora/jpeg.h>

#include "tools/command_line.h"
#include "tools/commands.h"
#include "tools/stream_markers.h"

namespace halvora::tools {

namespace {

// The largest COM payload is 65533 bytes: a size still at this capacity
// after the read means that the stream carries no comment.
constexpr int32_t kCommentCapacity = 65535;
constexpr int kProgressiveFrame = 0xC2;

void PrintYesNo(const char* key, bool value) { std::printf("%s: %s\n", key, value ? "yes" : "no"); }

void PrintInfo(const JPEG_PROPERTIES& record, const StreamMarkers& markers, int32_t commentLength) {
  std::printf("width: %d\n", record.jpeg_width);
  std::printf("height: %d\n", record.jpeg_height);
  std::printf("channels: %d\n", record.jpeg_channels);
  std::printf("jpeg_color: %d\n", record.jpeg_color);
  std::printf("jpeg_subsampling: %d\n", record.jpeg_subsampling);
  PrintYesNo("progressive", markers.frame_marker == kProgressiveFrame);
  std::printf("restart_interval: %d\n", markers.restart_interval);
  PrintYesNo("app0", markers.jfif);
  if (markers.adobe) {
    std::printf("app14_transform: %d\n", markers.adobe_transform);
  } else {
    std::printf("app14_transform: none\n");
  }
  if (record.thumbnail_width != 0 && record.thumbnail_height != 0) {
    std::printf("thumbnail: %dx%d\n", record.thumbnail_width, record.thumbnail_height);
  } else {
    std::printf("thumbnail: none\n");
  }
  std::printf("comment_length: %d\n", commentLength);
}

// The codec's parameter read of the file, with room for its comment.
int ReadParameters(const char* path, JPEG_PROPERTIES& record, int32_t& commentLength) {
  std::vector<unsigned char> comment(kCommentCapacity);
  std::memset(&record, 0, sizeof record);
  int result = JpegInit(&record);
  if (result == JpegSuccess) {
    record.jpeg_file_name = path;
    record.state.jpeg_comment = comment.data();
    record.state.jpeg_comment_size = kCommentCapacity;
    result = JpegRead(&record, FileReadParams);
  }
  const int32_t size = record.state.jpeg_comment_size;
  commentLength = size == kCommentCapacity ? 0 : size;
  const int freed = JpegFree(&record);
  return result != JpegSuccess ? result : freed;
}

}  // namespace

int InfoCommand(int count, char** arguments) {
  if (count != 1) return UsageError();
  JPEG_PROPERTIES record;
  int32_t commentLength = 0;
  const int result = ReadParameters(arguments[0], record, commentLength);
  if (result != JpegSuccess) return CodecError(result);
  StreamMarkers markers;
  if (!ReadStreamMarkers(arguments[0], markers)) return CodecError(JpegErrFileName);
  PrintInfo(record, markers, commentLength);
  return 0;
}

}  // namespace halvora::tools
