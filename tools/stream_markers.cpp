#include "tools/stream_markers.h"

#include <cstdint>
#include <cstring>

#include "tools/file_io.h"

namespace halvora::tools {

namespace {

constexpr int kSoi = 0xD8;
constexpr int kEoi = 0xD9;
constexpr int kSos = 0xDA;
constexpr int kDri = 0xDD;
constexpr int kApp0 = 0xE0;
constexpr int kApp14 = 0xEE;
// Only the start of a payload is looked at: "Adobe", version, two flag
// words and the transform byte are 12 bytes.
constexpr int kPayloadPrefix = 12;

bool IsFrameMarker(int marker) {
  // 0xC4 (DHT), 0xC8 (reserved) and 0xCC (DAC) share the range.
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// TEM and RST0..7 stand alone: no length follows them.
bool StandsAlone(int marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

// The next marker code. Like the codec's own marker search, it passes over
// any bytes before a 0xFF, fill bytes (more 0xFF) and a 0xFF 0x00 pair;
// -1 at the end of the file.
int NextMarker(std::FILE* file) {
  int code = 0;
  while (code == 0) {
    int byte = std::getc(file);
    while (byte != 0xFF && byte != EOF) byte = std::getc(file);
    code = byte == EOF ? EOF : std::getc(file);
    while (code == 0xFF) code = std::getc(file);
    if (code == EOF) return -1;
  }
  return code;
}

struct Segment {
  int marker = 0;
  int32_t size = 0;  // payload bytes
  uint8_t prefix[kPayloadPrefix] = {};
  int32_t prefix_size = 0;
};

// Reads a segment's length and the start of its payload, and skips the rest.
bool ReadSegment(std::FILE* file, Segment& segment) {
  const int high = std::getc(file);
  const int low = std::getc(file);
  if (high == EOF || low == EOF || (high << 8 | low) < 2) return false;
  segment.size = (high << 8 | low) - 2;
  segment.prefix_size = segment.size < kPayloadPrefix ? segment.size : kPayloadPrefix;
  if (std::fread(segment.prefix, 1, static_cast<size_t>(segment.prefix_size), file) !=
      static_cast<size_t>(segment.prefix_size)) {
    return false;
  }
  return std::fseek(file, segment.size - segment.prefix_size, SEEK_CUR) == 0;
}

bool Starts(const Segment& segment, const char* text, int32_t length) {
  return segment.prefix_size >= length && std::memcmp(segment.prefix, text, static_cast<size_t>(length)) == 0;
}

void Note(const Segment& segment, StreamMarkers& markers) {
  if (IsFrameMarker(segment.marker) && markers.frame_marker == 0) markers.frame_marker = segment.marker;
  if (segment.marker == kDri && segment.prefix_size >= 2) {
    markers.restart_interval = segment.prefix[0] << 8 | segment.prefix[1];
  }
  if (segment.marker == kApp0 && Starts(segment, "JFIF", 5)) markers.jfif = true;  // with its terminating zero
  if (segment.marker == kApp14 && Starts(segment, "Adobe", 5) && segment.prefix_size == kPayloadPrefix) {
    markers.adobe = true;
    markers.adobe_transform = segment.prefix[11];
  }
}

}  // namespace

bool ReadStreamMarkers(const std::string& path, StreamMarkers& markers) {
  File file(std::fopen(path.c_str(), "rb"));
  if (!file || std::getc(file.get()) != 0xFF || std::getc(file.get()) != kSoi) return false;
  markers = StreamMarkers{};
  for (;;) {
    Segment segment;
    segment.marker = NextMarker(file.get());
    if (segment.marker < 0 || segment.marker == kSos || segment.marker == kEoi) return true;
    if (StandsAlone(segment.marker)) continue;
    if (!ReadSegment(file.get(), segment)) return true;
    Note(segment, markers);
  }
}

}  // namespace halvora::tools
