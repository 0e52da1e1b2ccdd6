// hjpeg: the codec's command-line tool.
//
//   hjpeg info FILE   prints the parameters of a JPEG file as key: value lines
//   hjpeg decode IN OUT [--dct 0|1] [--cpu N] [--file] [--color bgr|rgb|rgba|grey|ycbcr]
//                       [--scale 1|2|4|8] [--smooth] [--interrupt] [--region L,T,R,B]
//                     decodes IN into OUT: .bmp (the viewer's DIB: bottom-up,
//                     rows padded to 4 bytes) or .ppm/.pgm (top-down); --scale
//                     reads at half, quarter or eighth size, --smooth
//                     interpolates subsampled chroma, --interrupt decodes
//                     MCU by MCU through repeated calls, --region decodes
//                     only that rectangle (pixels of the output size, right
//                     and bottom exclusive) into an image of its size
//   hjpeg bench FILE... [--iterations N]
//                     decodes each file from memory N times into a BGR DIB and
//                     prints megapixels per second (and libjpeg-turbo's, when
//                     the tool was built with it)
//
// A failure prints "error <code>: <text>" to standard error and exits with 1.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <halvora/jpeg.h>
#include "jpeg/interface/stream_info.h"
#include "tools/codec_decode.h"
#include "tools/image_files.h"
#include "tools/turbo_peer.h"

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

using halvora::tools::DecodeRequest;
using halvora::tools::DibImage;
using halvora::tools::OutputColor;

int Usage() {
  std::fprintf(stderr,
               "usage: hjpeg info FILE\n"
               "       hjpeg decode IN OUT [--dct 0|1] [--cpu N] [--file] [--color bgr|rgb|rgba|grey|ycbcr]\n"
               "                   [--scale 1|2|4|8] [--smooth] [--interrupt] [--region L,T,R,B]\n"
               "       hjpeg bench FILE... [--iterations N]\n");
  return 2;
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

bool EndsWith(const std::string& text, const char* suffix) {
  const size_t length = std::strlen(suffix);
  return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

bool ParseColor(const std::string& name, OutputColor& color) {
  static const struct {
    const char* name;
    OutputColor color;
  } kColors[] = {{"bgr", OutputColor::kBgr},
                 {"rgb", OutputColor::kRgb},
                 {"rgba", OutputColor::kRgba},
                 {"grey", OutputColor::kGrey},
                 {"ycbcr", OutputColor::kYCbCr}};
  for (const auto& entry : kColors) {
    if (name == entry.name) {
      color = entry.color;
      return true;
    }
  }
  return false;
}

bool ParseNumber(const char* text, int low, int high, int& value) {
  char* end = nullptr;
  const long parsed = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || parsed < low || parsed > high) return false;
  value = static_cast<int>(parsed);
  return true;
}

bool ParseScale(const char* text, int& scale) {
  int value = 0;
  if (!ParseNumber(text, 1, 8, value) || (value & (value - 1)) != 0) return false;
  scale = value;
  return true;
}

// "L,T,R,B": a non-empty rectangle of non-negative pixel edges.
bool ParseRegion(const char* text, halvora::tools::PixelRegion& region) {
  int left = 0, top = 0, right = 0, bottom = 0;
  char extra = 0;
  if (std::sscanf(text, "%d,%d,%d,%d%c", &left, &top, &right, &bottom, &extra) != 4) return false;
  if (left < 0 || top < 0 || right <= left || bottom <= top) return false;
  region = halvora::tools::PixelRegion{left, top, right, bottom};
  return true;
}

struct DecodeOptions {
  std::string input;
  std::string output;
  bool from_file = false;
  DecodeRequest request;
};

bool ParseDecodeOptions(int count, char** arguments, DecodeOptions& options) {
  std::vector<std::string> positional;
  for (int i = 0; i < count; ++i) {
    const std::string argument = arguments[i];
    const bool hasValue = i + 1 < count;
    if (argument == "--file") {
      options.from_file = true;
    } else if (argument == "--dct" && hasValue) {
      if (!ParseNumber(arguments[++i], 0, 1, options.request.dct_method)) return false;
    } else if (argument == "--cpu" && hasValue) {
      if (!ParseNumber(arguments[++i], 0, 6, options.request.processor_kind)) return false;
    } else if (argument == "--color" && hasValue) {
      if (!ParseColor(arguments[++i], options.request.color)) return false;
    } else if (argument == "--scale" && hasValue) {
      if (!ParseScale(arguments[++i], options.request.scale)) return false;
    } else if (argument == "--smooth") {
      options.request.smooth = true;
    } else if (argument == "--region" && hasValue) {
      if (!ParseRegion(arguments[++i], options.request.region)) return false;
    } else if (argument == "--interrupt") {
      options.request.interrupt = true;
    } else if (argument.rfind("--", 0) == 0) {
      return false;
    } else {
      positional.push_back(argument);
    }
  }
  if (positional.size() != 2) return false;
  options.input = positional[0];
  options.output = positional[1];
  return EndsWith(options.output, ".bmp") || EndsWith(options.output, ".ppm") || EndsWith(options.output, ".pgm");
}

int Decode(int count, char** arguments) {
  DecodeOptions options;
  if (!ParseDecodeOptions(count, arguments, options)) return Usage();
  std::vector<uint8_t> stream;
  if (options.from_file) {
    options.request.file_name = options.input.c_str();
  } else {
    if (!ReadWholeFile(options.input.c_str(), stream)) return Fail(JpegErrFileName);
    if (stream.empty()) return Fail(JpegErrNotJpeg);
    options.request.buffer = &stream;
  }
  const bool bitmap = EndsWith(options.output, ".bmp");
  // A grey map holds one channel.
  if (EndsWith(options.output, ".pgm") && options.request.color == OutputColor::kDefault) {
    options.request.color = OutputColor::kGrey;
  }
  options.request.bottom_up = bitmap;
  DibImage image;
  const int result = halvora::tools::DecodeJpeg(options.request, image);
  if (result != JpegSuccess) return Fail(result);
  const bool written = bitmap ? halvora::tools::WriteBmp(options.output, image)
                              : halvora::tools::WritePnm(options.output, image);
  if (!written) {
    std::fprintf(stderr, "hjpeg: cannot write %s (%d channels)\n", options.output.c_str(), image.channels);
    return 1;
  }
  return 0;
}

double Seconds(std::chrono::steady_clock::duration duration) {
  return std::chrono::duration<double>(duration).count();
}

// Megapixels per second of `iterations` runs of `decode` over `pixels`.
template <typename Decoder>
double MeasureRate(int iterations, double pixels, Decoder decode, bool& ok) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < iterations && ok; ++i) ok = decode();
  const double seconds = Seconds(std::chrono::steady_clock::now() - start);
  return seconds > 0 ? pixels * iterations / seconds / 1e6 : 0;
}

int BenchFile(const char* path, int iterations) {
  std::vector<uint8_t> stream;
  if (!ReadWholeFile(path, stream) || stream.empty()) return Fail(JpegErrFileName);
  DecodeRequest request;
  request.buffer = &stream;
  request.color = OutputColor::kBgr;
  DibImage image;
  const int first = halvora::tools::DecodeJpeg(request, image);
  if (first != JpegSuccess) return Fail(first);
  const double pixels = double(image.width) * image.height;
  bool ok = true;
  const double codecRate =
      MeasureRate(iterations, pixels, [&] { return halvora::tools::DecodeJpeg(request, image) == JpegSuccess; }, ok);
  std::printf("%s: %dx%d hjpeg %.1f MP/s", path, image.width, image.height, codecRate);
  if (halvora::tools::HaveTurboPeer()) {
    std::vector<uint8_t> bgr;
    int width = 0;
    int height = 0;
    bool peerOk = halvora::tools::DecodeWithTurboPeer(stream, bgr, width, height);
    const double peerRate = MeasureRate(
        iterations, pixels, [&] { return halvora::tools::DecodeWithTurboPeer(stream, bgr, width, height); }, peerOk);
    if (peerOk) std::printf(", libjpeg-turbo %.1f MP/s, ratio %.2f", peerRate, codecRate / peerRate);
  }
  std::printf("\n");
  return ok ? 0 : 1;
}

int Bench(int count, char** arguments) {
  int iterations = 10;
  std::vector<const char*> files;
  for (int i = 0; i < count; ++i) {
    if (std::strcmp(arguments[i], "--iterations") == 0 && i + 1 < count) {
      if (!ParseNumber(arguments[++i], 1, 1000000, iterations)) return Usage();
    } else {
      files.push_back(arguments[i]);
    }
  }
  if (files.empty()) return Usage();
  int status = 0;
  for (const char* file : files) status |= BenchFile(file, iterations);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "info" && argc == 3) return Info(argv[2]);
  if (command == "decode") return Decode(argc - 2, argv + 2);
  if (command == "bench") return Bench(argc - 2, argv + 2);
  return Usage();
}
