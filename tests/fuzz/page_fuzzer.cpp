// Loads the input as an instruction page, a JPEG or a BMP file as its last
// byte chooses, and draws it with the headless host's software stretch into a
// frame of a size the next bytes choose, as the viewer would.
#include <halvora/jpeg.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "picture/page_picture.h"
#include "platform/headless/headless_dialog_host.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

using halvora::fuzz::FuzzInput;
using halvora::platform::headless::HeadlessDialogHost;
using halvora::platform::headless::HeadlessDialogSetup;

constexpr int kFrame = 1000;

std::filesystem::path PageFolder() {
  static const std::filesystem::path folder = [] {
    auto path = std::filesystem::temp_directory_path() / ("halvora-fuzz-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(path);
    return path;
  }();
  return folder;
}

// Pages are capped so that each input loads quickly: a large page costs the
// time its pixels take, which the decoder's own tests bound.
constexpr int64_t kMaxPixels = 1 << 20;

int32_t Le32(const uint8_t* bytes) {
  return static_cast<int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24);
}

bool SmallPage(const uint8_t* data, size_t size, bool bmp) {
  if (bmp) {
    if (size < 26) return true;
    return std::abs(int64_t{Le32(data + 18)}) * std::abs(int64_t{Le32(data + 22)}) <= kMaxPixels;
  }
  JPEG_PROPERTIES record;
  std::memset(&record, 0, sizeof record);
  bool small = true;
  if (JpegInit(&record) == JpegSuccess) {
    record.jpeg_buffer = data;
    record.jpeg_buffer_size = static_cast<int32_t>(size);
    if (JpegRead(&record, BufferReadParams) == JpegSuccess) {
      small = int64_t{record.jpeg_width} * record.jpeg_height <= kMaxPixels;
    }
  }
  JpegFree(&record);
  return small;
}

bool WritePage(const std::filesystem::path& path, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const bool bmp = input.Flag();
  const int width = 1 + input.Choose(64);
  const int height = 1 + input.Choose(64);
  if (input.Size() == 0 || !SmallPage(input.Data(), input.Size(), bmp)) return 0;
  const std::filesystem::path page = PageFolder() / (bmp ? "page.bmp" : "page.jpg");
  if (!WritePage(page, input.Data(), input.Size())) return 0;

  HeadlessDialogSetup setup;
  setup.controls.push_back({kFrame, u"", halvora::platform::Rect{0, 0, width, height}, false});
  HeadlessDialogHost host(setup);
  halvora::picture::PagePicture picture(host.OpenStretchDrawer());
  halvora::picture::BitmapInfoHeader header{};
  picture.Load(page.u16string(), header, u"", u"");
  picture.Draw(host.Item(kFrame));
  return 0;
}
