#include "jpeg/encoder/marker_writer.h"

#include <halvora/jpeg.h>

#include <vector>

namespace halvora::jpeg {

namespace {

constexpr uint8_t kApp0 = 0xE0;
constexpr uint8_t kApp14 = 0xEE;
constexpr uint8_t kCom = 0xFE;
constexpr uint8_t kDqt = 0xDB;
constexpr uint8_t kDht = 0xC4;
constexpr uint8_t kSof0 = 0xC0;
constexpr uint8_t kSof2 = 0xC2;
constexpr uint8_t kDri = 0xDD;
constexpr uint8_t kSos = 0xDA;

// A segment under construction: marker, length (filled in at the end), payload.
class Segment {
 public:
  explicit Segment(uint8_t code) : bytes_{0xFF, code, 0, 0} {}
  Segment& Byte(int value) {
    bytes_.push_back(static_cast<uint8_t>(value));
    return *this;
  }
  Segment& Word(int value) { return Byte(value >> 8).Byte(value & 0xFF); }
  Segment& Bytes(const uint8_t* bytes, size_t count) {
    bytes_.insert(bytes_.end(), bytes, bytes + count);
    return *this;
  }
  int WriteTo(OutputSink& sink) {
    const size_t length = bytes_.size() - 2;
    bytes_[2] = static_cast<uint8_t>(length >> 8);
    bytes_[3] = static_cast<uint8_t>(length & 0xFF);
    return PutBytes(sink, bytes_.data(), bytes_.size());
  }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace

int WriteMarker(OutputSink& sink, uint8_t code) {
  const uint8_t marker[2] = {0xFF, code};
  return PutBytes(sink, marker, 2);
}

int WriteJfif(OutputSink& sink) {
  const uint8_t identifier[5] = {'J', 'F', 'I', 'F', 0};
  return Segment(kApp0).Bytes(identifier, 5).Word(0x0101).Byte(0).Word(1).Word(1).Byte(0).Byte(0).WriteTo(sink);
}

int WriteAdobe(OutputSink& sink, int transform) {
  const uint8_t identifier[5] = {'A', 'd', 'o', 'b', 'e'};
  return Segment(kApp14).Bytes(identifier, 5).Word(100).Word(0).Word(0).Byte(transform).WriteTo(sink);
}

int WriteComment(OutputSink& sink, const uint8_t* text, int32_t size) {
  return Segment(kCom).Bytes(text, static_cast<size_t>(size)).WriteTo(sink);
}

int WriteQuantTables(OutputSink& sink, const uint8_t (*tables)[64], int count) {
  Segment segment(kDqt);
  for (int id = 0; id < count; ++id) {
    segment.Byte(id);  // 8-bit values
    for (int k = 0; k < 64; ++k) segment.Byte(tables[id][kZigZagToNatural[k]]);
  }
  return segment.WriteTo(sink);
}

int WriteHuffmanTable(OutputSink& sink, int tableClass, int identifier, const HuffmanSpec& spec) {
  return Segment(kDht)
      .Byte((tableClass << 4) | identifier)
      .Bytes(spec.bits, 16)
      .Bytes(spec.values, static_cast<size_t>(spec.count))
      .WriteTo(sink);
}

int WriteFrameHeader(OutputSink& sink, const FrameLayout& frame, bool progressive) {
  Segment segment(progressive ? kSof2 : kSof0);
  segment.Byte(8).Word(frame.height).Word(frame.width).Byte(frame.component_count);
  for (int k = 0; k < frame.component_count; ++k) {
    const EncodedComponent& component = frame.components[k];
    segment.Byte(component.id).Byte((component.h << 4) | component.v).Byte(component.table);
  }
  return segment.WriteTo(sink);
}

int WriteRestartInterval(OutputSink& sink, int32_t interval) { return Segment(kDri).Word(interval).WriteTo(sink); }

int WriteScanHeader(OutputSink& sink, const FrameLayout& frame, const ScanHeader& scan) {
  Segment segment(kSos);
  segment.Byte(scan.component_count);
  for (int i = 0; i < scan.component_count; ++i) {
    const EncodedComponent& component = frame.components[scan.components[i]];
    segment.Byte(component.id).Byte((component.table << 4) | component.table);
  }
  return segment.Byte(scan.ss).Byte(scan.se).Byte((scan.ah << 4) | scan.al).WriteTo(sink);
}

}  // namespace halvora::jpeg
