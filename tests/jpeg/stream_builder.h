// Builds small JPEG streams in memory, segment by segment, for tests that need
// a particular (often malformed) marker layout.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace halvora::jpeg::testing {

struct FrameComponent {
  int id;
  int h;
  int v;
  int tq;
};

struct ScanSelector {
  int id;
  int dc;
  int ac;
};

class StreamBuilder {
 public:
  StreamBuilder& Marker(int code) {
    bytes_.push_back(0xFF);
    bytes_.push_back(static_cast<uint8_t>(code));
    return *this;
  }
  StreamBuilder& Soi() { return Marker(0xD8); }
  StreamBuilder& Eoi() { return Marker(0xD9); }
  StreamBuilder& Raw(std::initializer_list<int> bytes) {
    for (int b : bytes) bytes_.push_back(static_cast<uint8_t>(b));
    return *this;
  }
  // A segment whose length field says `length`, whatever the payload holds.
  StreamBuilder& SegmentWithLength(int code, int length, const std::vector<uint8_t>& payload) {
    Marker(code);
    bytes_.push_back(static_cast<uint8_t>(length >> 8));
    bytes_.push_back(static_cast<uint8_t>(length));
    bytes_.insert(bytes_.end(), payload.begin(), payload.end());
    return *this;
  }
  StreamBuilder& Segment(int code, const std::vector<uint8_t>& payload) {
    return SegmentWithLength(code, static_cast<int>(payload.size()) + 2, payload);
  }
  StreamBuilder& Dqt(int id, int value = 1) {
    std::vector<uint8_t> payload{static_cast<uint8_t>(id)};
    payload.resize(65, static_cast<uint8_t>(value));
    return Segment(0xDB, payload);
  }
  // A table of `count` codes of length 8 (count <= 256) named 0, 1, ...
  StreamBuilder& Dht(int tableClass, int id, int count = 12) {
    std::vector<uint8_t> payload{static_cast<uint8_t>(tableClass << 4 | id)};
    payload.resize(17, 0);
    payload[8] = static_cast<uint8_t>(count);
    for (int i = 0; i < count; ++i) payload.push_back(static_cast<uint8_t>(i));
    return Segment(0xC4, payload);
  }
  StreamBuilder& Sof(int kind, int width, int height, std::initializer_list<FrameComponent> components,
                     int precision = 8) {
    std::vector<uint8_t> payload{static_cast<uint8_t>(precision),
                                 static_cast<uint8_t>(height >> 8),
                                 static_cast<uint8_t>(height),
                                 static_cast<uint8_t>(width >> 8),
                                 static_cast<uint8_t>(width),
                                 static_cast<uint8_t>(components.size())};
    for (const FrameComponent& c : components) {
      payload.push_back(static_cast<uint8_t>(c.id));
      payload.push_back(static_cast<uint8_t>(c.h << 4 | c.v));
      payload.push_back(static_cast<uint8_t>(c.tq));
    }
    return Segment(0xC0 + kind, payload);
  }
  StreamBuilder& Sos(std::initializer_list<ScanSelector> selectors, int ss = 0, int se = 63, int ah = 0, int al = 0) {
    std::vector<uint8_t> payload{static_cast<uint8_t>(selectors.size())};
    for (const ScanSelector& s : selectors) {
      payload.push_back(static_cast<uint8_t>(s.id));
      payload.push_back(static_cast<uint8_t>(s.dc << 4 | s.ac));
    }
    payload.push_back(static_cast<uint8_t>(ss));
    payload.push_back(static_cast<uint8_t>(se));
    payload.push_back(static_cast<uint8_t>(ah << 4 | al));
    return Segment(0xDA, payload);
  }
  // JFIF APP0 with an RGB thumbnail of width x height pixels.
  StreamBuilder& Jfif(int width = 0, int height = 0, const std::vector<uint8_t>& pixels = {}) {
    std::vector<uint8_t> payload{'J', 'F', 'I', 'F', 0, 1, 2, 0, 0, 1, 0, 1,
                                 static_cast<uint8_t>(width), static_cast<uint8_t>(height)};
    payload.insert(payload.end(), pixels.begin(), pixels.end());
    return Segment(0xE0, payload);
  }
  StreamBuilder& Adobe(int transform) {
    return Segment(0xEE, {'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, static_cast<uint8_t>(transform)});
  }
  StreamBuilder& Com(std::string_view text) { return Segment(0xFE, std::vector<uint8_t>(text.begin(), text.end())); }
  // Tables and a 3-component 4:2:0 frame of width x height, up to its scan header.
  StreamBuilder& BaselineHeader(int width = 16, int height = 16) {
    return Dqt(0).Dqt(1).Dht(0, 0).Dht(1, 0).Sof(0, width, height, {{1, 2, 2, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}});
  }
  StreamBuilder& BaselineScan() { return Sos({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}}); }

  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace halvora::jpeg::testing
