#include "tests/jpeg/decode_support.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "jpeg/kernels/kernel_table.h"
#include <halvora/jpeg.h>
#include "jpeg/interface/private_state.h"
#include "tests/jpeg/record.h"
#include "tests/support/tsv_table.h"

namespace halvora::jpeg::testing {

namespace fs = std::filesystem;

namespace {

int ImageReadType(int scale) {
  switch (scale) {
    case 2:
      return BufferReadHalf;
    case 4:
      return BufferReadQuarter;
    case 8:
      return BufferReadEighth;
    default:
      return BufferReadImage;
  }
}

}  // namespace

DibResult DecodeIntoDib(const std::vector<uint8_t>& stream, const DibRequest& request) {
  DibResult dib;
  Record record;
  if (request.processor_kind >= 0) {
    PrivateState& state = Private(record.get());
    UseProcessorKind(*state.input.kernels, state.input.processor_kind, request.processor_kind);
  }
  record->state.dct_method = request.dct_method;
  dib.result = record.ReadBuffer(stream, BufferReadParams);
  if (dib.result != JpegSuccess) return dib;
  dib.width = (record->jpeg_width + request.scale - 1) / request.scale;
  dib.height = (record->jpeg_height + request.scale - 1) / request.scale;
  dib.dib_width = request.dib_width != 0 ? request.dib_width : dib.width;
  dib.dib_height = request.dib_height != 0 ? request.dib_height : dib.height;
  dib.line_bytes = dib.dib_width * request.channels + request.pad;
  dib.pixels.assign(static_cast<size_t>(dib.line_bytes) * static_cast<size_t>(dib.dib_height), request.fill);
  record.UseDib(dib.pixels, dib.dib_width, request.bottom_up ? -dib.dib_height : dib.dib_height, request.channels,
                request.color);
  record->dib_pad_bytes = request.pad;
  if (request.jpeg_color != 0) record->jpeg_color = request.jpeg_color;
  if (request.image_dct_method >= 0) record->state.dct_method = request.image_dct_method;
  record->state.smooth_upsampling = request.smooth ? 1 : 0;
  for (;;) {
    record->state.interrupt_request = request.interrupt ? 1 : 0;
    dib.result = record.ReadBuffer(stream, ImageReadType(request.scale));
    if (dib.result != JpegInterruptSuccess) break;
    ++dib.interrupted_calls;
  }
  return dib;
}

std::vector<uint8_t> ImageSamples(const DibResult& dib, const DibRequest& request) {
  std::vector<uint8_t> samples;
  const int rows = std::min(dib.height, dib.dib_height);
  const int columns = std::min(dib.width, dib.dib_width);
  for (int row = 0; row < rows; ++row) {
    const int line = request.bottom_up ? dib.dib_height - 1 - row : row;
    const uint8_t* start = dib.pixels.data() + static_cast<size_t>(line) * static_cast<size_t>(dib.line_bytes);
    samples.insert(samples.end(), start, start + columns * request.channels);
  }
  return samples;
}

int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size()) return -1;
  int largest = 0;
  for (size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::abs(int{a[i]} - int{b[i]}));
  return largest;
}

bool ReadPnm(const fs::path& path, Pnm& pnm) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maximum = 0;
  in >> magic >> pnm.width >> pnm.height >> maximum;
  in.get();  // the single white-space byte before the samples
  if (!in || maximum != 255 || (magic != "P5" && magic != "P6")) return false;
  pnm.channels = magic == "P5" ? 1 : 3;
  pnm.samples.resize(static_cast<size_t>(pnm.width) * static_cast<size_t>(pnm.height) *
                     static_cast<size_t>(pnm.channels));
  in.read(reinterpret_cast<char*>(pnm.samples.data()), static_cast<std::streamsize>(pnm.samples.size()));
  return static_cast<size_t>(in.gcount()) == pnm.samples.size();
}

std::vector<uint8_t> InDibOrder(const Pnm& pnm) {
  std::vector<uint8_t> samples = pnm.samples;
  if (pnm.channels == 3) {
    for (size_t i = 0; i + 2 < samples.size(); i += 3) std::swap(samples[i], samples[i + 2]);
  }
  return samples;
}

std::string TestNameOf(const std::string& name) {
  std::string result = name;
  std::replace_if(result.begin(), result.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); },
                  '_');
  return result;
}

std::vector<uint8_t> ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

fs::path CorpusFolder() {
  const char* dir = std::getenv("HALVORA_TESTDATA_DIR");
  return dir != nullptr ? fs::path(dir) : fs::path();
}

fs::path OracleFolder() {
  const char* dir = std::getenv("HALVORA_JPEG_ORACLE_DIR");
  return dir != nullptr ? fs::path(dir) : fs::path();
}

std::vector<OracleCase> ReadOracleCases() {
  std::vector<OracleCase> cases;
  const std::string prefix = "same-as:";
  for (const test_support::TsvRow& row : test_support::ReadTsv(OracleFolder() / "cases.tsv")) {
    const std::string& relation = row["relation"];
    cases.push_back({row["name"], row["stream"], row["reference"],
                     relation.rfind(prefix, 0) == 0 ? relation.substr(prefix.size()) : ""});
  }
  return cases;
}

}  // namespace halvora::jpeg::testing
