// hjpeg decode IN OUT [options]: one decode into a DIB, written in the
// format OUT's extension names.
#include <cstdio>
#include <string>
#include <vector>

#include <halvora/jpeg.h>

#include "tools/codec_decode.h"
#include "tools/command_line.h"
#include "tools/commands.h"
#include "tools/image_files.h"

namespace halvora::tools {

namespace {

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

bool ParseScale(const char* text, int& scale) {
  int value = 0;
  if (!ParseNumber(text, 1, 8, value) || (value & (value - 1)) != 0) return false;
  scale = value;
  return true;
}

// "L,T,R,B": a non-empty rectangle of non-negative pixel edges.
bool ParseRegion(const char* text, PixelRegion& region) {
  int left = 0, top = 0, right = 0, bottom = 0;
  char extra = 0;
  if (std::sscanf(text, "%d,%d,%d,%d%c", &left, &top, &right, &bottom, &extra) != 4) return false;
  if (left < 0 || top < 0 || right <= left || bottom <= top) return false;
  region = PixelRegion{left, top, right, bottom};
  return true;
}

struct DecodeOptions {
  std::string input;
  std::string output;
  bool from_file = false;
  int processor_kind = -1;
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
      if (!ParseNumber(arguments[++i], 0, 6, options.processor_kind)) return false;
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
    } else if (argument == "--max-memory" && hasValue) {
      if (!ParseNumber(arguments[++i], 1, 1 << 30, options.request.max_memory_mb)) return false;
    } else if (argument.rfind("--", 0) == 0) {
      return false;
    } else {
      positional.push_back(argument);
    }
  }
  if (positional.size() != 2) return false;
  options.input = positional[0];
  options.output = positional[1];
  return true;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The colour a decode asks for without --color. A grey map holds one
// channel, which the codec can make of grey and YCbCr streams only (others
// come out in colour and are refused by name); PNG and PAM keep a grey
// stream grey; PPM and BMP take BGR, the viewer's DIB.
OutputColor DefaultColorFor(const std::string& output) {
  if (EndsWith(output, ".pgm")) return OutputColor::kGreyWherePossible;
  if (EndsWith(output, ".png") || EndsWith(output, ".pam")) return OutputColor::kGreyOfGreyStreams;
  return OutputColor::kDefault;
}

}  // namespace

int DecodeCommand(int count, char** arguments) {
  DecodeOptions options;
  if (!ParseDecodeOptions(count, arguments, options)) return UsageError();
  // Refused before any decoding, and named, rather than answered with the
  // usage text: the command line was well formed.
  std::string error;
  if (!CheckImageExtension(options.output, error)) return ToolError(error, 2);
  if (!ApplyProcessorKind(options.processor_kind)) return 2;
  std::vector<uint8_t> stream;
  if (options.from_file) {
    options.request.file_name = options.input.c_str();
  } else {
    if (!ReadWholeFile(options.input.c_str(), stream)) return CodecError(JpegErrFileName);
    if (stream.empty()) return CodecError(JpegErrNotJpeg);
    options.request.buffer = &stream;
  }
  if (options.request.color == OutputColor::kDefault) options.request.color = DefaultColorFor(options.output);
  options.request.bottom_up = EndsWith(options.output, ".bmp");
  DibImage image;
  const int result = DecodeJpeg(options.request, image);
  if (result == JpegErrMemory && image.pixels.empty() && image.width > 0) {
    const int64_t mebibytes = (DibBytes(image.width, image.height, image.channels, image.bottom_up) >> 20) + 1;
    return ToolError("a " + std::to_string(image.width) + "x" + std::to_string(image.height) + " image of " +
                         std::to_string(image.channels) + (image.channels == 1 ? " channel takes " : " channels takes ") + std::to_string(mebibytes) +
                         " MiB, more than --max-memory allows (" + std::to_string(options.request.max_memory_mb) +
                         " MiB)",
                     1);
  }
  if (result != JpegSuccess) return CodecError(result);
  if (!WriteImage(options.output, image, error)) return ToolError(error);
  return 0;
}

}  // namespace halvora::tools
