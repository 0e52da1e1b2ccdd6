// Encodes a small DIB made of the input's bytes with settings the input's
// last bytes choose (colour pairing, sampling, quality, restarts, tables,
// progression, line order, write type and output capacity; now and then a
// field out of range), then reads back what was written. A write either
// refuses with a code or writes a stream within JpegWriteBound that the
// decoder reads.
#include <halvora/jpeg.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/fuzz/fuzz_input.h"

namespace {

using halvora::fuzz::FuzzInput;

struct Pairing {
  int dib_color;
  int dib_channels;
  int jpeg_color;
  int channels;
};

constexpr Pairing kPairings[] = {{JpegColorGrey, 1, JpegColorGrey, 1},   {JpegColorGrey, 1, JpegColorYCbCr, 3},
                                 {JpegColorBgr, 3, JpegColorYCbCr, 3},   {JpegColorRgb, 3, JpegColorGrey, 1},
                                 {JpegColorBgr, 3, JpegColorRgb, 3},     {JpegColorRgb, 4, JpegColorYCbCr, 3},
                                 {JpegColorRgba, 4, JpegColorRgba, 4},   {JpegColorRgba, 4, JpegColorYCbCrAlpha, 4},
                                 {JpegColorYCbCr, 3, JpegColorYCbCr, 3}, {JpegColorOther, 4, JpegColorOther, 2},
                                 {JpegColorOther, 5, JpegColorOther, 5}, {JpegColorGrey, 1, JpegColorRgb, 3}};
constexpr int kWriteTypes[] = {BufferWriteImage, BufferWriteImage, BufferWriteHeader, BufferWriteImageData};

struct Settings {
  Pairing pairing;
  int width;
  int height;
  int subsampling;
  int quality;
  int restart_interval;
  bool optimize;
  bool progressive;
  bool bottom_up;
  int pad;
  int io_type;
  int capacity_eighths;  // of the bound; 8 or more: the whole bound
};

// Mostly valid values, now and then one just out of range.
int Quality(uint8_t byte) { return byte < 4 ? (byte & 1 ? 0 : 101) : 1 + byte % 100; }
int Restart(uint8_t byte) { return byte < 2 ? (byte ? -1 : 65536) : byte % 4 == 0 ? byte / 4 : 0; }

Settings ChooseSettings(FuzzInput& input) {
  Settings s{};
  s.pairing = kPairings[input.Choose(std::size(kPairings))];
  s.width = 1 + input.Choose(64);
  s.height = 1 + input.Choose(64);
  s.subsampling = input.Choose(6);
  s.quality = Quality(input.Byte());
  s.restart_interval = Restart(input.Byte());
  const uint8_t flags = input.Byte();
  s.optimize = (flags & 1) != 0;
  s.progressive = (flags & 2) != 0;
  s.bottom_up = (flags & 4) != 0;
  s.pad = (flags >> 3) & 7;
  s.io_type = kWriteTypes[input.Choose(std::size(kWriteTypes))];
  s.capacity_eighths = input.Choose(12);
  return s;
}

// What the written stream is read back into: its own colours for grey and
// colour, four bytes for four components, as stored for the rest.
void ReadBack(JPEG_PROPERTIES& record, const std::vector<uint8_t>& stream, const Pairing& pairing) {
  record.jpeg_buffer = stream.data();
  record.jpeg_buffer_size = static_cast<int32_t>(stream.size());
  if (JpegRead(&record, BufferReadParams) != JpegSuccess) return;
  const bool stored = pairing.jpeg_color == JpegColorOther;
  const int channels = stored ? record.jpeg_channels : record.jpeg_channels == 4 ? 4 : 3;
  std::vector<uint8_t> dib(static_cast<size_t>(record.jpeg_width) * record.jpeg_height * channels);
  record.dib_pixels = dib.data();
  record.dib_width = record.jpeg_width;
  record.dib_height = record.jpeg_height;
  record.dib_channels = channels;
  record.dib_color = stored ? JpegColorOther : channels == 4 ? JpegColorRgba : JpegColorBgr;
  if (stored) record.jpeg_color = JpegColorOther;
  JpegRead(&record, BufferReadImage);
  halvora::fuzz::TouchEveryByte(dib.data(), dib.size());
}

void Write(const Settings& s, const uint8_t* bytes, size_t size) {
  const int32_t lineBytes = s.width * s.pairing.dib_channels + s.pad;
  std::vector<uint8_t> dib(static_cast<size_t>(lineBytes) * s.height);
  for (size_t i = 0; i < dib.size(); ++i) dib[i] = size == 0 ? static_cast<uint8_t>(i) : bytes[i % size];
  JPEG_PROPERTIES record;
  std::memset(&record, 0, sizeof record);
  if (JpegInit(&record) == JpegSuccess) {
    record.dib_pixels = dib.data();
    record.dib_width = s.width;
    record.dib_height = s.bottom_up ? -s.height : s.height;
    record.dib_pad_bytes = s.pad;
    record.dib_channels = s.pairing.dib_channels;
    record.dib_color = s.pairing.dib_color;
    record.jpeg_width = s.width;
    record.jpeg_height = s.height;
    record.jpeg_color = s.pairing.jpeg_color;
    record.jpeg_channels = s.pairing.channels;
    record.jpeg_subsampling = s.subsampling;
    record.quality = s.quality;
    record.state.restart_interval = s.restart_interval;
    record.state.optimize_huffman = s.optimize ? 1 : 0;
    record.state.progressive = s.progressive ? 1 : 0;
    const int64_t bound = JpegWriteBound(&record);
    // The buffer is exactly the capacity, so that a write past it shows.
    std::vector<uint8_t> stream(
        static_cast<size_t>(s.capacity_eighths >= 8 ? bound : 1 + bound * s.capacity_eighths / 8));
    record.jpeg_buffer = stream.data();
    record.jpeg_buffer_size = static_cast<int32_t>(stream.size());
    if (JpegWrite(&record, s.io_type) == JpegSuccess && s.io_type == BufferWriteImage) {
      if (record.jpeg_buffer_size > bound) __builtin_trap();
      stream.resize(static_cast<size_t>(record.jpeg_buffer_size));
      JPEG_PROPERTIES reader;
      std::memset(&reader, 0, sizeof reader);
      if (JpegInit(&reader) == JpegSuccess) ReadBack(reader, stream, s.pairing);
      JpegFree(&reader);
    }
  }
  JpegFree(&record);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const Settings settings = ChooseSettings(input);
  Write(settings, input.Data(), input.Size());
  return 0;
}
