// hjpeg encode IN OUT [options]: an image file (PPM, PGM, PAM, BMP or PNG)
// encoded into a JPEG file by the codec's file output.
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <halvora/jpeg.h>

#include "tools/command_line.h"
#include "tools/commands.h"
#include "tools/image_files.h"

namespace halvora::tools {

namespace {

enum class StoredColour { kDefault, kGrey, kRgb };

struct EncodeOptions {
  std::string input;
  std::string output;
  int quality = 75;
  int subsampling = -1;  // -1: 4:2:0 for YCbCr, 4:4:4 for stored RGB
  StoredColour colour = StoredColour::kDefault;
  bool progressive = false;
  bool optimize = false;
  int restart_interval = 0;
  const char* comment = nullptr;
};

bool ParseSubsampling(const std::string& name, int& subsampling) {
  if (name == "444")
    subsampling = JpegSubsamplingNone;
  else if (name == "422")
    subsampling = JpegSubsampling422;
  else if (name == "420")
    subsampling = JpegSubsampling420;
  else
    return false;
  return true;
}

bool ParseEncodeOptions(int count, char** arguments, EncodeOptions& options) {
  std::vector<std::string> positional;
  for (int i = 0; i < count; ++i) {
    const std::string argument = arguments[i];
    const bool hasValue = i + 1 < count;
    if (argument == "--quality" && hasValue) {
      if (!ParseNumber(arguments[++i], 1, 100, options.quality)) return false;
    } else if (argument == "--subsampling" && hasValue) {
      if (!ParseSubsampling(arguments[++i], options.subsampling)) return false;
    } else if (argument == "--grey" || argument == "--rgb") {
      if (options.colour != StoredColour::kDefault) return false;
      options.colour = argument == "--grey" ? StoredColour::kGrey : StoredColour::kRgb;
    } else if (argument == "--progressive") {
      options.progressive = true;
    } else if (argument == "--optimize") {
      options.optimize = true;
    } else if (argument == "--restart" && hasValue) {
      if (!ParseNumber(arguments[++i], 0, 65535, options.restart_interval)) return false;
    } else if (argument == "--comment" && hasValue) {
      options.comment = arguments[++i];
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

// A JPEG has no alpha: an RGBA image is written as its BGR colour.
void DropAlpha(DibImage& image) {
  if (image.channels != 4) return;
  DibImage colour;
  ShapeDib(colour, image.width, image.height, 3, JpegColorBgr, image.bottom_up);
  for (int32_t row = 0; row < image.height; ++row) {
    const uint8_t* rgba = ImageRow(image, row);
    uint8_t* bgr = ImageRow(colour, row);
    for (int32_t x = 0; x < image.width; ++x, rgba += 4, bgr += 3) {
      bgr[0] = rgba[2];
      bgr[1] = rgba[1];
      bgr[2] = rgba[0];
    }
  }
  image = std::move(colour);
}

// The stream's colours: grey stays grey, colour becomes YCbCr, unless
// --grey or --rgb says otherwise.
void ChooseStreamColours(const EncodeOptions& options, const DibImage& image, JPEG_PROPERTIES& record) {
  record.dib_color = image.color;
  const bool grey = options.colour == StoredColour::kGrey || image.color == JpegColorGrey;
  const bool rgb = options.colour == StoredColour::kRgb;
  record.jpeg_color = grey ? JpegColorGrey : rgb ? JpegColorRgb : JpegColorYCbCr;
  record.jpeg_channels = grey ? 1 : 3;
  const int subsampling = options.subsampling >= 0 ? options.subsampling
                          : rgb                    ? JpegSubsamplingNone
                                                   : JpegSubsampling420;
  record.jpeg_subsampling = grey ? JpegSubsamplingNone : subsampling;
}

int Encode(const EncodeOptions& options, DibImage& image) {
  JPEG_PROPERTIES record;
  std::memset(&record, 0, sizeof record);
  int result = JpegInit(&record);
  if (result == JpegSuccess) {
    record.dib_pixels = image.pixels.data();
    record.dib_width = image.width;
    record.dib_height = image.bottom_up ? -image.height : image.height;
    record.dib_pad_bytes = image.line_bytes - image.width * image.channels;
    record.dib_channels = image.channels;
    record.jpeg_width = image.width;
    record.jpeg_height = image.height;
    record.jpeg_file_name = options.output.c_str();
    record.quality = options.quality;
    record.state.progressive = options.progressive ? 1 : 0;
    record.state.optimize_huffman = options.optimize ? 1 : 0;
    record.state.restart_interval = options.restart_interval;
    if (options.comment != nullptr) {
      record.state.jpeg_comment = reinterpret_cast<unsigned char*>(const_cast<char*>(options.comment));
      record.state.jpeg_comment_size = static_cast<int32_t>(std::strlen(options.comment));
    }
    ChooseStreamColours(options, image, record);
    result = JpegWrite(&record, FileWriteImage);
  }
  JpegFree(&record);
  return result;
}

}  // namespace

int EncodeCommand(int count, char** arguments) {
  EncodeOptions options;
  if (!ParseEncodeOptions(count, arguments, options)) return UsageError();
  DibImage image;
  std::string error;
  if (!ReadImage(options.input, image, error)) return ToolError(error);
  DropAlpha(image);
  const int result = Encode(options, image);
  return result == JpegSuccess ? 0 : CodecError(result);
}

}  // namespace halvora::tools
