// hjpeg bench FILE... [--rounds N] [--cpu N]: our decoder and libjpeg-turbo
// decode each file from memory in turn, round after round in one process,
// into the same DIB layout (bottom-up, rows padded to 4 bytes, BGR; the four
// components of a four-component stream), allocated once per file.
//
// Each file is measured twice: our replicated chroma against libjpeg-turbo's
// fast upsampling, then our interpolated chroma against its default (fancy)
// upsampling. A file's kind, for the closing geometric means, is the name of
// the folder it is in. With --scale 2, 4 or 8 both sides read the image at
// half, quarter or eighth size; the rates still count the full-size image's
// pixels, so that they compare with a full-size run's.
//
// hjpeg bench --encode FILE... [--quality N]: the same race for encoding.
// Each file (a JPEG, decoded first, or an image file) is one BGR DIB as the
// viewer holds it, which both encoders code at quality N (90 unless named)
// into memory allocated once, with chroma sampled 2 x 2 and then 1 x 1; the
// closing geometric means are per sampling.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <halvora/jpeg.h>

#include "tools/codec_decode.h"
#include "tools/command_line.h"
#include "tools/commands.h"
#include "tools/image_files.h"
#include "tools/turbo_peer.h"

namespace halvora::tools {

namespace {

constexpr int kDefaultRounds = 15;

struct Comparison {
  const char* name;  // of our chroma, and (after "/") of the peer's upsampling
  bool interpolate;
};
constexpr Comparison kComparisons[] = {{"replicated/fast", false}, {"interpolated/fancy", true}};
constexpr int kComparisonCount = static_cast<int>(std::size(kComparisons));

// Median and best of one side's rates, in megapixels per second.
struct Rates {
  double median = 0;
  double best = 0;
};

Rates Summarise(std::vector<double> rates) {
  std::sort(rates.begin(), rates.end());
  const size_t n = rates.size();
  return Rates{n % 2 == 1 ? rates[n / 2] : (rates[n / 2 - 1] + rates[n / 2]) / 2, rates.back()};
}

// Sums of the logarithms of a kind's ratios, for their geometric means.
struct KindTotals {
  int files = 0;
  double log_median[kComparisonCount] = {};
  double log_best[kComparisonCount] = {};
};

struct BenchOptions {
  int rounds = kDefaultRounds;
  int scale = 1;
  int processor_kind = -1;
  bool encode = false;
  int quality = 90;
  std::vector<const char*> files;
};

// Megapixels per second of one call of `decode`, or 0 when it failed.
template <typename Decode>
double TimedRate(double pixels, Decode decode) {
  const auto start = std::chrono::steady_clock::now();
  const bool ok = decode();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return ok && seconds > 0 ? pixels / seconds / 1e6 : 0;
}

// Our decodes and the peer's, alternating which goes first from round to
// round so that neither always runs on caches the other warmed. Both DIBs
// have their size already, so no round allocates or clears pixels.
bool Race(int rounds, double pixels, const DecodeRequest& request, TurboPeer& peer, bool interpolate, DibImage& ours,
          DibImage& theirs, std::vector<double>& ourRates, std::vector<double>& theirRates) {
  auto decodeOurs = [&] { return DecodeJpeg(request, ours) == JpegSuccess; };
  auto decodeTheirs = [&] { return peer.Decode(*request.buffer, theirs, interpolate, request.scale); };
  for (int round = 0; round < rounds; ++round) {
    const bool oursFirst = round % 2 == 0;
    if (oursFirst) ourRates.push_back(TimedRate(pixels, decodeOurs));
    if (peer.Available()) theirRates.push_back(TimedRate(pixels, decodeTheirs));
    if (!oursFirst) ourRates.push_back(TimedRate(pixels, decodeOurs));
  }
  const auto failed = [](double rate) { return rate == 0; };
  return std::none_of(ourRates.begin(), ourRates.end(), failed) &&
         std::none_of(theirRates.begin(), theirRates.end(), failed);
}

// How a line names a reduced read.
const char* ScaleLabel(int scale) {
  switch (scale) {
    case 2:
      return "1/2 ";
    case 4:
      return "1/4 ";
    case 8:
      return "1/8 ";
    default:
      return "";
  }
}

std::string KindOf(const char* path) {
  const std::string folder = std::filesystem::absolute(path).parent_path().filename().string();
  return folder.empty() ? "/" : folder;
}

// Our decode of `request` into `image`, an error printed when it fails.
bool DecodeUntimed(const char* path, const DecodeRequest& request, DibImage& image) {
  const int result = DecodeJpeg(request, image);
  if (result != JpegSuccess) std::fprintf(stderr, "%s: error %d: %s\n", path, result, JpegErrorText(result));
  return result == JpegSuccess;
}

// One comparison of one file: its line, and its ratios into `totals`.
bool Compare(const char* path, const std::vector<uint8_t>& stream, const BenchOptions& options, TurboPeer& peer,
             int which, KindTotals& totals) {
  const Comparison& comparison = kComparisons[which];
  DecodeRequest request;
  request.buffer = &stream;
  request.smooth = comparison.interpolate;
  // The untimed first decodes size the DIBs and show that both sides can
  // decode the file; a reduced read's rates count the pixels of a full one.
  DibImage full;
  if (!DecodeUntimed(path, request, full)) return false;
  const double pixels = double(full.width) * full.height;
  request.scale = options.scale;
  DibImage ours;
  DibImage theirs;
  if (options.scale == 1) {
    ours = std::move(full);
  } else if (!DecodeUntimed(path, request, ours)) {
    return false;
  }
  ShapeDib(theirs, ours.width, ours.height, ours.channels, ours.color, true);
  if (peer.Available() && !peer.Decode(stream, theirs, comparison.interpolate, options.scale)) {
    std::fprintf(stderr, "%s: libjpeg-turbo cannot decode it\n", path);
    return false;
  }
  std::vector<double> ourRates;
  std::vector<double> theirRates;
  if (!Race(options.rounds, pixels, request, peer, comparison.interpolate, ours, theirs, ourRates, theirRates)) {
    std::fprintf(stderr, "%s: a timed decode failed\n", path);
    return false;
  }
  const Rates mine = Summarise(ourRates);
  std::printf("%s %dx%d %s%s: hjpeg median %.1f best %.1f MP/s", path, ours.width, ours.height,
              ScaleLabel(options.scale), comparison.name, mine.median, mine.best);
  if (peer.Available()) {
    const Rates peers = Summarise(theirRates);
    std::printf(", libjpeg-turbo median %.1f best %.1f MP/s, ratio median %.2f best %.2f", peers.median, peers.best,
                mine.median / peers.median, mine.best / peers.best);
    totals.log_median[which] += std::log(mine.median / peers.median);
    totals.log_best[which] += std::log(mine.best / peers.best);
  }
  std::printf("\n");
  return true;
}

void PrintKinds(const std::map<std::string, KindTotals>& kinds) {
  std::printf("geometric mean of the ratios (hjpeg/libjpeg-turbo) per kind:\n");
  for (const auto& [kind, totals] : kinds) {
    if (totals.files == 0) continue;
    std::printf("%s: %d file%s", kind.c_str(), totals.files, totals.files == 1 ? "" : "s");
    for (int which = 0; which < kComparisonCount; ++which) {
      std::printf(", %s median %.2f best %.2f", kComparisons[which].name,
                  std::exp(totals.log_median[which] / totals.files), std::exp(totals.log_best[which] / totals.files));
    }
    std::printf("\n");
  }
}

bool ParseBenchOptions(int count, char** arguments, BenchOptions& options) {
  for (int i = 0; i < count; ++i) {
    const std::string argument = arguments[i];
    const bool hasValue = i + 1 < count;
    if (argument == "--rounds" && hasValue) {
      if (!ParseNumber(arguments[++i], 1, 100000, options.rounds)) return false;
    } else if (argument == "--scale" && hasValue) {
      if (!ParseNumber(arguments[++i], 1, 8, options.scale) || (options.scale & (options.scale - 1)) != 0) return false;
    } else if (argument == "--cpu" && hasValue) {
      if (!ParseNumber(arguments[++i], 0, 6, options.processor_kind)) return false;
    } else if (argument == "--encode") {
      options.encode = true;
    } else if (argument == "--quality" && hasValue) {
      if (!ParseNumber(arguments[++i], 1, 100, options.quality)) return false;
    } else if (argument.rfind("--", 0) == 0) {
      return false;
    } else {
      options.files.push_back(arguments[i]);
    }
  }
  return !options.files.empty();
}

// ---- Encoding ----

struct Sampling {
  const char* name;
  bool subsampled;  // chroma 2 x 2
};
constexpr Sampling kSamplings[] = {{"4:2:0", true}, {"4:4:4", false}};
constexpr int kSamplingCount = static_cast<int>(std::size(kSamplings));
static_assert(kSamplingCount == kComparisonCount, "KindTotals holds one ratio a sampling");

// The image of a file as a BGR DIB, bottom-up with rows padded to 4 bytes: a
// JPEG decoded, any other file read as an image.
bool LoadBgrImage(const char* path, DibImage& image) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes) || bytes.size() < 2) return false;
  if (bytes[0] == 0xFF && bytes[1] == 0xD8) {
    DecodeRequest request;
    request.buffer = &bytes;
    request.color = OutputColor::kBgr;
    return DecodeJpeg(request, image) == JpegSuccess;
  }
  std::string error;
  return ReadImage(path, image, error) && image.color == JpegColorBgr;
}

// A record that writes `image` into `stream` (sized to JpegWriteBound).
class OurEncoder {
 public:
  OurEncoder(DibImage& image, int quality, bool subsampled) {
    std::memset(&record_, 0, sizeof record_);
    ready_ = JpegInit(&record_) == JpegSuccess;
    record_.dib_pixels = image.pixels.data();
    record_.dib_width = image.width;
    record_.dib_height = -image.height;
    record_.dib_pad_bytes = image.line_bytes - 3 * image.width;
    record_.jpeg_width = image.width;
    record_.jpeg_height = image.height;
    record_.jpeg_subsampling = subsampled ? JpegSubsampling420 : JpegSubsamplingNone;
    record_.quality = quality;
    stream_.resize(static_cast<size_t>(JpegWriteBound(&record_)));
  }
  ~OurEncoder() { JpegFree(&record_); }
  OurEncoder(const OurEncoder&) = delete;
  OurEncoder& operator=(const OurEncoder&) = delete;

  bool Encode() {
    record_.jpeg_buffer = stream_.data();
    record_.jpeg_buffer_size = static_cast<int32_t>(stream_.size());
    return ready_ && JpegWrite(&record_, BufferWriteImage) == JpegSuccess;
  }
  int32_t Size() const { return record_.jpeg_buffer_size; }

 private:
  JPEG_PROPERTIES record_;
  bool ready_ = false;
  std::vector<uint8_t> stream_;
};

// One sampling of one file: its line, and its ratios into `totals`.
bool CompareEncoding(const char* path, DibImage& image, const BenchOptions& options, TurboPeer& peer, int which,
                     KindTotals& totals) {
  const Sampling& sampling = kSamplings[which];
  OurEncoder ours(image, options.quality, sampling.subsampled);
  std::vector<uint8_t> theirs(peer.EncodeBound(image.width, image.height));
  const size_t theirCapacity = theirs.size();
  auto encodeOurs = [&] { return ours.Encode(); };
  auto encodeTheirs = [&] {
    theirs.resize(theirCapacity);
    return peer.Encode(image, options.quality, sampling.subsampled, theirs);
  };
  // Untimed first encodes show that both sides can encode the image.
  if (!encodeOurs() || (peer.Available() && !encodeTheirs())) {
    std::fprintf(stderr, "%s: %s cannot be encoded\n", path, sampling.name);
    return false;
  }
  const double pixels = double(image.width) * image.height;
  std::vector<double> ourRates;
  std::vector<double> theirRates;
  for (int round = 0; round < options.rounds; ++round) {
    const bool oursFirst = round % 2 == 0;
    if (oursFirst) ourRates.push_back(TimedRate(pixels, encodeOurs));
    if (peer.Available()) theirRates.push_back(TimedRate(pixels, encodeTheirs));
    if (!oursFirst) ourRates.push_back(TimedRate(pixels, encodeOurs));
  }
  const Rates mine = Summarise(ourRates);
  std::printf("%s %dx%d %s q%d: hjpeg median %.1f best %.1f MP/s, %d bytes", path, image.width, image.height,
              sampling.name, options.quality, mine.median, mine.best, ours.Size());
  if (peer.Available()) {
    const Rates peers = Summarise(theirRates);
    std::printf("; libjpeg-turbo median %.1f best %.1f MP/s, %zu bytes; ratio median %.2f best %.2f", peers.median,
                peers.best, theirs.size(), mine.median / peers.median, mine.best / peers.best);
    totals.log_median[which] += std::log(mine.median / peers.median);
    totals.log_best[which] += std::log(mine.best / peers.best);
  }
  std::printf("\n");
  return true;
}

int EncodeBench(const BenchOptions& options, TurboPeer& peer) {
  KindTotals totals;
  int status = 0;
  for (const char* path : options.files) {
    DibImage image;
    if (!LoadBgrImage(path, image)) {
      std::fprintf(stderr, "%s: cannot read it as a colour image\n", path);
      status = 1;
      continue;
    }
    KindTotals file;
    bool ok = true;
    for (int which = 0; which < kSamplingCount && ok; ++which) {
      ok = CompareEncoding(path, image, options, peer, which, file);
    }
    if (!ok) {
      status = 1;
      continue;
    }
    totals.files += 1;
    for (int which = 0; which < kSamplingCount; ++which) {
      totals.log_median[which] += file.log_median[which];
      totals.log_best[which] += file.log_best[which];
    }
  }
  if (peer.Available() && totals.files > 0) {
    std::printf("geometric mean of the ratios (hjpeg/libjpeg-turbo), %d file%s:", totals.files,
                totals.files == 1 ? "" : "s");
    for (int which = 0; which < kSamplingCount; ++which) {
      std::printf(" %s median %.2f best %.2f%s", kSamplings[which].name,
                  std::exp(totals.log_median[which] / totals.files), std::exp(totals.log_best[which] / totals.files),
                  which + 1 < kSamplingCount ? "," : "\n");
    }
  }
  return status;
}

}  // namespace

int BenchCommand(int count, char** arguments) {
  BenchOptions options;
  if (!ParseBenchOptions(count, arguments, options)) return UsageError();
  if (!ApplyProcessorKind(options.processor_kind)) return 2;
  TurboPeer peer;
  if (!peer.Available()) std::printf("(this hjpeg was built without libjpeg-turbo: only its own rates)\n");
  if (options.encode) return EncodeBench(options, peer);
  std::map<std::string, KindTotals> kinds;
  int status = 0;
  for (const char* path : options.files) {
    std::vector<uint8_t> stream;
    if (!ReadWholeFile(path, stream) || stream.empty()) {
      std::fprintf(stderr, "%s: cannot read it\n", path);
      status = 1;
      continue;
    }
    KindTotals file;
    bool ok = true;
    for (int which = 0; which < kComparisonCount && ok; ++which) {
      ok = Compare(path, stream, options, peer, which, file);
    }
    if (!ok) {
      status = 1;
      continue;
    }
    KindTotals& kind = kinds[KindOf(path)];
    kind.files += 1;
    for (int which = 0; which < kComparisonCount; ++which) {
      kind.log_median[which] += file.log_median[which];
      kind.log_best[which] += file.log_best[which];
    }
  }
  if (peer.Available() && !kinds.empty()) PrintKinds(kinds);
  return status;
}

}  // namespace halvora::tools
