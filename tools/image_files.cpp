#include "tools/image_files.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "tools/bmp_files.h"
#include "tools/file_io.h"
#include "tools/pnm_files.h"
#ifdef HALVORA_HAVE_PNG
#include "tools/png_files.h"
#endif

namespace halvora::tools {

namespace {

using Writer = bool (*)(std::FILE*, const DibImage&, std::string&);

struct FileFormat {
  const char* extension;
  const char* channels_text;  // for messages
  bool channels[5];           // indexed by the channel count
  Writer write;
};

constexpr FileFormat kFormats[] = {
#ifdef HALVORA_HAVE_PNG
    {".png", "1, 3 or 4 channels", {false, true, false, true, true}, WritePng},
#endif
    {".ppm", "3 channels", {false, false, false, true, false}, WritePpm},
    {".pgm", "1 channel", {false, true, false, false, false}, WritePgm},
    {".pam", "1, 3 or 4 channels", {false, true, false, true, true}, WritePam},
    {".bmp", "1 or 3 channels", {false, true, false, true, false}, WriteBmp},
};

bool EndsWith(const std::string& text, const char* suffix) {
  const size_t length = std::strlen(suffix);
  return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

const FileFormat* FormatOfPath(const std::string& path) {
  for (const FileFormat& format : kFormats) {
    if (EndsWith(path, format.extension)) return &format;
  }
  return nullptr;
}

bool Holds(const FileFormat& format, int32_t channels) {
  return channels >= 0 && channels < 5 && format.channels[channels];
}

// "a, b or c": the extensions whose formats hold `channels`, for the
// message that refuses another one.
std::string ExtensionsFor(int32_t channels) {
  std::vector<std::string> names;
  for (const FileFormat& format : kFormats) {
    if (Holds(format, channels)) names.push_back(format.extension);
  }
  std::string list;
  for (size_t i = 0; i < names.size(); ++i) {
    list += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
  }
  return list;
}

bool Write(const std::string& path, const FileFormat& format, const DibImage& image, std::string& error) {
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    error = std::strerror(errno);
    return false;
  }
  bool ok = format.write(file.get(), image, error);
  if (std::fclose(file.release()) != 0 && ok) {
    error = std::strerror(errno);
    ok = false;
  }
  // A half-written file would pass for an image.
  if (!ok) std::remove(path.c_str());
  return ok;
}

#ifdef HALVORA_HAVE_PNG
constexpr const char* kReadableFormats = "not a PNG, PPM, PGM, PAM or BMP file";
#else
constexpr const char* kReadableFormats = "not a PPM, PGM, PAM or BMP file (this hjpeg was built without libpng)";
#endif

// The reader of a file by its first bytes.
using Reader = bool (*)(std::FILE*, DibImage&, std::string&);
Reader ReaderOf(const uint8_t (&magic)[4]) {
#ifdef HALVORA_HAVE_PNG
  if (std::memcmp(magic, "\x89PNG", 4) == 0) return ReadPng;
#endif
  if (magic[0] == 'B' && magic[1] == 'M') return ReadBmp;
  if (magic[0] == 'P' && magic[1] >= '5' && magic[1] <= '7') return ReadPnm;
  return nullptr;
}

}  // namespace

std::string AcceptedExtensions() {
#ifdef HALVORA_HAVE_PNG
  return ".png, .ppm, .pgm, .pam or .bmp";
#else
  return ".ppm, .pgm, .pam or .bmp (this hjpeg was built without libpng, so no .png)";
#endif
}

bool CheckImageExtension(const std::string& path, std::string& error) {
  if (FormatOfPath(path) != nullptr) return true;
  error = "cannot write " + path + ": unknown extension; use " + AcceptedExtensions();
  return false;
}

bool WriteImage(const std::string& path, const DibImage& image, std::string& error) {
  if (!CheckImageExtension(path, error)) return false;
  const FileFormat* format = FormatOfPath(path);
  if (!Holds(*format, image.channels)) {
    error = "cannot write " + path + ": a " + format->extension + " file holds " + format->channels_text +
            ", this image has " + std::to_string(image.channels) + "; use " + ExtensionsFor(image.channels);
    return false;
  }
  if (!Write(path, *format, image, error)) {
    error = "cannot write " + path + ": " + error;
    return false;
  }
  return true;
}

bool ReadImage(const std::string& path, DibImage& image, std::string& error) {
  File file(std::fopen(path.c_str(), "rb"));
  uint8_t magic[4] = {};
  Reader read = nullptr;
  if (!file) {
    error = std::strerror(errno);
  } else if (std::fread(magic, 1, sizeof magic, file.get()) != sizeof magic || (read = ReaderOf(magic)) == nullptr) {
    error = kReadableFormats;
  } else {
    std::rewind(file.get());
    if (read(file.get(), image, error)) return true;
  }
  error = "cannot read " + path + ": " + error;
  return false;
}

}  // namespace halvora::tools
