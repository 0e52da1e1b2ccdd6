// Decodes the input through the codec's file input: the stream is written
// to a file, a parameter read and then an image read (of the size the
// input's last byte chooses, or its thumbnail) take it from there.
#include <halvora/jpeg.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <cstring>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_input.h"

namespace {

using halvora::fuzz::FuzzInput;

constexpr int64_t kMaxPixels = 1 << 20;
constexpr int kFileReads[] = {FileReadImage, FileReadHalf, FileReadQuarter, FileReadEighth, FileReadThumbnail};

// One file per process, written anew for each input.
const std::string& StreamFile() {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("halvora-fuzz-" + std::to_string(std::random_device{}()) + ".jpg"))
          .string();
  return path;
}

bool WriteStream(const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(StreamFile().c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

void Decode(JPEG_PROPERTIES& record, int ioType) {
  record.jpeg_file_name = StreamFile().c_str();
  if (JpegRead(&record, FileReadParams) != JpegSuccess) return;
  if (int64_t{record.jpeg_width} * record.jpeg_height > kMaxPixels) return;
  const int scale = ioType == FileReadHalf ? 2 : ioType == FileReadQuarter ? 4 : ioType == FileReadEighth ? 8 : 1;
  // A thumbnail is at most 255 x 255 pixels.
  const int width = ioType == FileReadThumbnail ? 255 : (record.jpeg_width + scale - 1) / scale;
  const int height = ioType == FileReadThumbnail ? 255 : (record.jpeg_height + scale - 1) / scale;
  std::vector<uint8_t> dib(static_cast<size_t>(width) * 4 * static_cast<size_t>(height));
  record.dib_pixels = dib.data();
  record.dib_width = width;
  record.dib_height = -height;
  record.dib_channels = record.jpeg_channels == 4 ? 4 : 3;
  record.dib_color = record.jpeg_channels == 4 ? JpegColorRgba : JpegColorBgr;
  JpegRead(&record, ioType);
  halvora::fuzz::TouchEveryByte(dib.data(), dib.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const int ioType = kFileReads[input.Choose(std::size(kFileReads))];
  if (!WriteStream(input.Data(), input.Size())) return 0;
  JPEG_PROPERTIES record;
  std::memset(&record, 0, sizeof record);
  if (JpegInit(&record) == JpegSuccess) Decode(record, ioType);
  JpegFree(&record);
  return 0;
}
