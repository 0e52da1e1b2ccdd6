// hjpeg: the codec's command-line tool.
//
//   hjpeg info FILE   prints the parameters of a JPEG file as key: value lines
//
// A failure prints "error <code>: <text>" to standard error and exits with 1.
#include <cstdio>
#include <cstring>
#include <vector>

#include "jpeg/jpeg.h"
#include "jpeg/stream_info.h"

namespace {

// The largest COM payload is 65533 bytes: a size still at this capacity
// after the read means that the stream carries no comment.
constexpr int32_t kCommentCapacity = 65535;

int Fail(int code) {
  std::fprintf(stderr, "error %d: %s\n", code, JpegErrorText(code));
  return 1;
}

void PrintYesNo(const char* key, bool value) { std::printf("%s: %s\n", key, value ? "yes" : "no"); }

void PrintInfo(JPEG_PROPERTIES& record, int32_t commentLength) {
  const halvora::jpeg::StreamDescription stream = halvora::jpeg::DescribeStream(record);
  std::printf("width: %d\n", record.jpeg_width);
  std::printf("height: %d\n", record.jpeg_height);
  std::printf("channels: %d\n", record.jpeg_channels);
  std::printf("jpeg_color: %d\n", record.jpeg_color);
  std::printf("jpeg_subsampling: %d\n", record.jpeg_subsampling);
  PrintYesNo("progressive", stream.sof_kind == 2);
  std::printf("restart_interval: %d\n", stream.restart_interval);
  PrintYesNo("app0", stream.jfif);
  if (stream.adobe) {
    std::printf("app14_transform: %d\n", stream.adobe_transform);
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

int Info(const char* path) {
  std::vector<unsigned char> comment(kCommentCapacity);
  JPEG_PROPERTIES record;
  std::memset(&record, 0, sizeof record);
  int result = JpegInit(&record);
  if (result == JpegSuccess) {
    record.jpeg_file_name = path;
    record.state.jpeg_comment = comment.data();
    record.state.jpeg_comment_size = kCommentCapacity;
    result = JpegRead(&record, FileReadParams);
  }
  if (result == JpegSuccess) {
    const int32_t size = record.state.jpeg_comment_size;
    PrintInfo(record, size == kCommentCapacity ? 0 : size);
  }
  const int freed = JpegFree(&record);
  if (result == JpegSuccess) result = freed;
  return result == JpegSuccess ? 0 : Fail(result);
}

struct Command {
  const char* name;
  int argumentCount;
  int (*run)(char** arguments);
};

int RunInfo(char** arguments) { return Info(arguments[0]); }

constexpr Command kCommands[] = {
    {"info", 1, RunInfo},
};

int Usage() {
  std::fprintf(stderr, "usage: hjpeg info FILE\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  for (const Command& command : kCommands) {
    if (std::strcmp(argv[1], command.name) == 0 && argc - 2 == command.argumentCount) {
      return command.run(argv + 2);
    }
  }
  return Usage();
}
