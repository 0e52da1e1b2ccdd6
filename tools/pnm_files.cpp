#include "tools/pnm_files.h"

#include <cctype>
#include <utility>
#include <cstring>
#include <vector>

#include <halvora/jpeg.h>

#include "tools/file_io.h"

namespace halvora::tools {

namespace {

bool WriteRows(std::FILE* file, const DibImage& image, const std::string& header, std::string& error) {
  bool ok = PutBytes(file, header.data(), header.size());
  std::vector<uint8_t> scratch;
  const size_t rowBytes = static_cast<size_t>(image.width) * static_cast<size_t>(image.channels);
  for (int32_t row = 0; ok && row < image.height; ++row) {
    ok = PutBytes(file, RowInFileOrder(image, row, false, scratch), rowBytes);
  }
  if (!ok) error = "write failed";
  return ok;
}

std::string Size(const DibImage& image) { return std::to_string(image.width) + " " + std::to_string(image.height); }

const char* TupleType(int32_t channels) {
  switch (channels) {
    case 1:
      return "GRAYSCALE";
    case 4:
      return "RGB_ALPHA";
    default:
      return "RGB";
  }
}

// Skips white space and comments, then reads a decimal number, which must
// end in one white-space character (after the last number of a P5 or P6
// header, that character is the last byte before the samples).
bool ReadHeaderNumber(std::FILE* file, int32_t& value) {
  int c = std::getc(file);
  while (c == '#' || std::isspace(c)) {
    if (c == '#') {
      while (c != '\n' && c != EOF) c = std::getc(file);
    }
    c = std::getc(file);
  }
  if (!std::isdigit(c)) return false;
  int64_t number = 0;
  for (; std::isdigit(c); c = std::getc(file)) {
    number = number * 10 + (c - '0');
    if (number > kMaxImageSide) return false;  // no side, depth or maximum value we read is larger
  }
  value = static_cast<int32_t>(number);
  return std::isspace(c) != 0;
}

struct PnmHeader {
  int32_t width = 0;
  int32_t height = 0;
  int32_t channels = 0;
  int32_t max_value = 0;
};

bool ReadNumbersHeader(std::FILE* file, int32_t channels, PnmHeader& header) {
  header.channels = channels;
  return ReadHeaderNumber(file, header.width) && ReadHeaderNumber(file, header.height) &&
         ReadHeaderNumber(file, header.max_value);
}

// "KEY value" lines up to ENDHDR; TUPLTYPE is not needed, as DEPTH alone
// tells the channels apart.
bool ReadPamHeader(std::FILE* file, PnmHeader& header) {
  char line[256];
  while (std::fgets(line, sizeof line, file) != nullptr) {
    char key[16] = {};
    long value = 0;
    if (std::strncmp(line, "ENDHDR", 6) == 0) return true;
    if (line[0] == '#' || std::sscanf(line, "%15s %ld", key, &value) != 2) continue;
    if (value < 0 || value > kMaxImageSide) return false;
    const auto number = static_cast<int32_t>(value);
    if (std::strcmp(key, "WIDTH") == 0) header.width = number;
    if (std::strcmp(key, "HEIGHT") == 0) header.height = number;
    if (std::strcmp(key, "DEPTH") == 0) header.channels = number;
    if (std::strcmp(key, "MAXVAL") == 0) header.max_value = number;
  }
  return false;
}

int32_t ColorOfChannels(int32_t channels) {
  switch (channels) {
    case 1:
      return JpegColorGrey;
    case 3:
      return JpegColorBgr;
    default:
      return JpegColorRgba;
  }
}

bool ReadSamples(std::FILE* file, const PnmHeader& header, DibImage& image, std::string& error) {
  if (!ShapeDib(image, header.width, header.height, header.channels, ColorOfChannels(header.channels), true)) {
    error = "image size out of range";
    return false;
  }
  const size_t rowBytes = static_cast<size_t>(header.width) * static_cast<size_t>(header.channels);
  for (int32_t row = 0; row < header.height; ++row) {
    uint8_t* target = ImageRow(image, row);
    if (std::fread(target, 1, rowBytes, file) != rowBytes) {
      error = "file ends inside the image";
      return false;
    }
    if (header.channels == 3) {
      for (size_t i = 0; i < rowBytes; i += 3) std::swap(target[i], target[i + 2]);
    }
  }
  return true;
}

}  // namespace

bool WritePpm(std::FILE* file, const DibImage& image, std::string& error) {
  return WriteRows(file, image, "P6\n" + Size(image) + "\n255\n", error);
}

bool WritePgm(std::FILE* file, const DibImage& image, std::string& error) {
  return WriteRows(file, image, "P5\n" + Size(image) + "\n255\n", error);
}

bool WritePam(std::FILE* file, const DibImage& image, std::string& error) {
  const std::string header = "P7\nWIDTH " + std::to_string(image.width) + "\nHEIGHT " + std::to_string(image.height) +
                             "\nDEPTH " + std::to_string(image.channels) + "\nMAXVAL 255\nTUPLTYPE " +
                             TupleType(image.channels) + "\nENDHDR\n";
  return WriteRows(file, image, header, error);
}

bool ReadPnm(std::FILE* file, DibImage& image, std::string& error) {
  char magic[3] = {};
  PnmHeader header;
  bool ok = std::fread(magic, 1, 3, file) == 3 && magic[0] == 'P';
  if (ok && magic[1] == '7') {
    ok = magic[2] == '\n' && ReadPamHeader(file, header);
  } else if (ok && (magic[1] == '5' || magic[1] == '6')) {
    // The third byte is the white space after the magic number.
    ok = std::isspace(static_cast<unsigned char>(magic[2])) && ReadNumbersHeader(file, magic[1] == '5' ? 1 : 3, header);
  } else {
    ok = false;
  }
  if (!ok) {
    error = "not a readable PPM, PGM or PAM header";
    return false;
  }
  if (header.max_value != 255 || (header.channels != 1 && header.channels != 3 && header.channels != 4)) {
    error = "only 8-bit samples (maximum value 255) in one, three or four channels are read";
    return false;
  }
  const int64_t needed = int64_t{header.width} * header.height * header.channels;
  if (BytesLeft(file) < needed) {
    error = "file ends inside the image";
    return false;
  }
  return ReadSamples(file, header, image, error);
}

}  // namespace halvora::tools
