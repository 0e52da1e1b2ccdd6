#include "tools/command_line.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

#include <halvora/jpeg.h>

#include "tools/image_files.h"
#include "tools/processor_kind.h"

namespace halvora::tools {

void PrintUsage(std::FILE* stream) {
  std::fprintf(stream,
               "usage: hjpeg info FILE\n"
               "       hjpeg decode IN OUT [--color bgr|rgb|rgba|grey|ycbcr] [--scale 1|2|4|8] [--smooth]\n"
               "                   [--region L,T,R,B] [--interrupt] [--file] [--dct 0|1] [--cpu N]\n"
               "                   [--max-memory MiB]\n"
               "       hjpeg encode IN OUT [--quality N] [--subsampling 444|422|420] [--grey|--rgb]\n"
               "                   [--progressive] [--optimize] [--restart N] [--comment TEXT]\n"
               "       hjpeg bench [--encode [--quality N]] FILE... [--rounds N] [--scale N] [--cpu N]\n"
               "       hjpeg --help | --version\n"
               "\n"
               "info    prints the stream's parameters as key: value lines\n"
               "decode  decodes IN into OUT; OUT's extension picks the format: %s;\n"
               "        four-channel images go to .png (RGBA) or .pam (RGB_ALPHA)\n"
               "  --color   the pixels' colour; by default BGR, RGBA for four components, and grey\n"
               "            for grey streams into .png, .pam or .pgm (and YCbCr ones into .pgm)\n"
               "  --scale   reads at full, half, quarter or eighth size\n"
               "  --smooth  interpolates subsampled chroma\n"
               "  --region  decodes only that rectangle (output pixels, right and bottom exclusive)\n"
               "  --interrupt  decodes MCU by MCU through repeated calls\n"
               "  --file    lets the codec read IN itself instead of from memory\n"
               "  --dct     the inverse-DCT method (1, the default, is the integer transform)\n"
               "  --max-memory  the most memory the image and the codec may take together, in MiB\n"
               "            (default 4096); a stream that needs more is refused before it is decoded\n"
               "  --cpu     uses the kernel set of processor kind N (0 to 6); not in the Windows\n"
               "            build, whose codec reads the processor kind from the registry\n"
               "encode  encodes the image IN (.png, .ppm, .pgm, .pam or .bmp) into the JPEG file OUT;\n"
               "        colour becomes YCbCr (4:2:0 unless --subsampling says otherwise), grey stays grey,\n"
               "        and an alpha channel is left out\n"
               "  --quality      1 to 100 (default 75)\n"
               "  --grey, --rgb  stores grey, or RGB as it is (4:4:4 unless --subsampling says otherwise)\n"
               "  --progressive  a progressive stream; --optimize: Huffman tables made for the image\n"
               "  --restart      a restart marker every N MCUs; --comment: a COM segment\n"
               "bench   decodes each FILE from memory N rounds (default 15), alternating with\n"
               "        libjpeg-turbo, and prints median and best MP/s and their ratios; then the\n"
               "        geometric mean of the ratios per kind, a file's kind being its folder's name\n"
               "  --scale   both sides read at half, quarter or eighth size (2, 4, 8); the rates\n"
               "            count the full-size image's pixels\n"
               "  --encode  encodes each FILE's image (a JPEG is decoded first) instead, at quality N\n"
               "            (default 90) with chroma sampled 4:2:0 and 4:4:4, alternating with\n"
               "            libjpeg-turbo's tjCompress2, and prints the geometric means per sampling\n",
               AcceptedExtensions().c_str());
}

int UsageError() {
  PrintUsage(stderr);
  return 2;
}

int CodecError(int code) {
  std::fprintf(stderr, "error %d: %s\n", code, JpegErrorText(code));
  return 1;
}

int ToolError(const std::string& message, int status) {
  std::fprintf(stderr, "hjpeg: %s\n", message.c_str());
  return status;
}

bool ParseNumber(const char* text, int low, int high, int& value) {
  char* end = nullptr;
  const long parsed = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || parsed < low || parsed > high) return false;
  value = static_cast<int>(parsed);
  return true;
}

bool ApplyProcessorKind(int kind) {
  if (kind < 0 || UseProcessorKind(kind)) return true;
  ToolError(
      "--cpu is not available in this build: its codec takes the processor kind from the registry value "
      "USECPU under HKEY_LOCAL_MACHINE\\Software\\Halvora\\JpegCodec");
  return false;
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace halvora::tools
