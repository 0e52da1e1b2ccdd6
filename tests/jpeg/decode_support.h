// Decoding whole streams into DIBs for the decoding tests, and the reference
// data that tests/jpeg/make_oracle.sh makes with libjpeg-turbo's tools.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace halvora::jpeg::testing {

struct DibRequest {
  int color = 2;  // dib_color; BGR
  int channels = 3;
  bool bottom_up = false;
  int pad = 0;         // dib_pad_bytes
  uint8_t fill = 0;    // every byte of the buffer before the read
  int dct_method = 1;  // set before the parameter read
  int image_dct_method = -1;  // when >= 0, set again between the two reads
  int jpeg_color = 0;  // 0: as the parameter read reports it
  int dib_width = 0;   // 0: the image's size
  int dib_height = 0;
  bool interrupt = false;  // interrupt_request before every call
  int processor_kind = -1;  // when >= 0, the kernel set of that kind instead of the detected one
  int scale = 1;        // 2, 4, 8: the half, quarter or eighth read, into a DIB of ceil(size / scale)
  bool smooth = false;  // smooth_upsampling
};

struct DibResult {
  int result = 0;
  int width = 0;   // of the image, at the read's scale
  int height = 0;
  int dib_width = 0;
  int dib_height = 0;
  int line_bytes = 0;
  int interrupted_calls = 0;
  std::vector<uint8_t> pixels;  // the whole buffer
};

// Parameter read, DIB set up as asked, image read (repeated while it answers 1).
DibResult DecodeIntoDib(const std::vector<uint8_t>& stream, const DibRequest& request);

// The image's samples top-down without line padding (the first `channels`
// bytes of each pixel).
std::vector<uint8_t> ImageSamples(const DibResult& dib, const DibRequest& request);

// Largest difference between two sample lists of one size (-1 when the sizes differ).
int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

struct Pnm {
  int width = 0;
  int height = 0;
  int channels = 0;  // 1 (P5) or 3 (P6, R G B)
  std::vector<uint8_t> samples;
};
bool ReadPnm(const std::filesystem::path& path, Pnm& pnm);
// The samples in the order of a BGR (or grey) DIB.
std::vector<uint8_t> InDibOrder(const Pnm& pnm);

// `name` with every character but letters and digits made '_', as test names need.
std::string TestNameOf(const std::string& name);

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path);
std::filesystem::path CorpusFolder();
std::filesystem::path OracleFolder();

// A line of cases.tsv.
struct OracleCase {
  std::string name;
  std::string stream;     // file name in the oracle folder
  std::string reference;  // "-" when the case has none
  std::string same_as;    // the case whose decode this one must equal, or ""
};
std::vector<OracleCase> ReadOracleCases();

}  // namespace halvora::jpeg::testing
