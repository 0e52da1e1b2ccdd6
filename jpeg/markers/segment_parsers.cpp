#include "jpeg/markers/segment_parsers.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "jpeg/input/stream_input.h"

namespace halvora::jpeg {

namespace {

constexpr int32_t kMaxDqtPayload = 4 * 129;
// Four full tables (4 x (17 + 256) = 1092 bytes) are one byte too many.
constexpr int32_t kMaxDhtPayload = 1091;
constexpr int kMaxTableId = 3;
constexpr int kMaxSpectralIndex = 63;
constexpr int kMaxApproximationBit = 13;
constexpr int32_t kMinApp0Payload = 14;
constexpr int32_t kAdobePayload = 12;
constexpr int32_t kPaletteBytes = 768;

int Be16(const uint8_t* bytes) { return (bytes[0] << 8) | bytes[1]; }

// Reads the length field and the payload that follows it.
int ReadPayload(JpegStream& stream, SegmentBytes& payload, int32_t& size) {
  int32_t length = 0;
  const int result = ReadUint16(stream, length);
  if (result != JpegSuccess) return result;
  if (length < 2) return JpegErrData;
  size = length - 2;
  return GetSegmentBytes(stream, size, payload);
}

void StoreQuantTable(TableState& tables, JpegQuantSlot& slot, const uint8_t* bytes, int precision, int id,
                     int dctMethod) {
  QuantTable& table = QuantTableAt(tables, id);
  table.precision = precision;
  table.identifier = id;
  tables.counts.quant_slots_used = std::max(tables.counts.quant_slots_used, id + 1);
  for (int k = 0; k < 64; ++k) tables.quant_values[id][k] = precision == 0 ? bytes[k] : Be16(bytes + 2 * k);
  if (slot.values != nullptr) {
    slot.identifier = static_cast<unsigned char>(id);
    std::memcpy(slot.values, bytes, precision == 0 ? 64 : 128);
  }
  PrepareQuantTableFor(tables, id, dctMethod);
  tables.counts.quant_tables = std::min(tables.counts.quant_tables + 1, 4);
}

// Hands a DHT table out to the caller's slot, when the caller gave one.
void SaveHuffmanTable(JpegHuffmanSlot& slot, const uint8_t* bits, const uint8_t* values, int count, int tableClass,
                      int id) {
  if (slot.bits == nullptr || slot.values == nullptr) return;
  slot.table_class = static_cast<unsigned char>(tableClass);
  slot.identifier = static_cast<unsigned char>(id);
  std::memcpy(slot.bits, bits, 16);
  // The slot holds 256 symbols; a 257th code's symbol stays in the codec.
  std::memcpy(slot.values, values, static_cast<size_t>(std::min(count, 256)));
}

bool ThumbnailFits(const WorkingFields& work, int width, int height) {
  const int32_t lines = work.dib_height < 0 ? -work.dib_height : work.dib_height;
  return width <= work.dib_width && height <= lines && work.dib_channels >= 3;
}

// Writes a thumbnail pixel as R, G, B into an RGB DIB and as B, G, R otherwise.
void PutThumbnailPixel(uint8_t* pixel, const uint8_t* rgb, bool rgbOrder) {
  pixel[0] = rgbOrder ? rgb[0] : rgb[2];
  pixel[1] = rgb[1];
  pixel[2] = rgbOrder ? rgb[2] : rgb[0];
}

// `palette` null: `pixels` holds w x h RGB triplets; otherwise w x h indexes
// into the 256 RGB triplets of `palette`.
int WriteThumbnail(const ReadState& read, uint8_t* topLine, const uint8_t* pixels, const uint8_t* palette, int width,
                   int height) {
  const WorkingFields& work = read.work;
  // The caller's DIB must hold the whole thumbnail; nothing is written otherwise.
  if (!ThumbnailFits(work, width, height)) return JpegErrThumbnailTooSmall;
  const bool rgbOrder = work.dib_color == JpegColorRgb;
  for (int row = 0; row < height; ++row) {
    uint8_t* line = topLine + row * work.dib_line_bytes;
    for (int column = 0; column < width; ++column) {
      const uint8_t* source = pixels + (static_cast<std::ptrdiff_t>(row) * width + column) * (palette ? 1 : 3);
      const uint8_t* rgb = palette ? palette + 3 * *source : source;
      PutThumbnailPixel(line + column * work.dib_channels, rgb, rgbOrder);
    }
  }
  return JpegSuccess;
}

bool IsThumbnailRead(const ReadState& read) {
  return read.io_type == FileReadThumbnail || read.io_type == BufferReadThumbnail;
}

// A thumbnail of RGB triplets: w at `at`, h at `at` + 1, pixels after them.
int TakeRgbThumbnail(ReadState& read, uint8_t* topLine, const uint8_t* payload, int32_t size, int32_t at) {
  const int width = payload[at];
  const int height = payload[at + 1];
  if (width == 0 || height == 0) return JpegSuccess;
  read.work.thumbnail_width = width;
  read.work.thumbnail_height = height;
  const int32_t pixelsAt = at + 2;
  if (!IsThumbnailRead(read) || size < pixelsAt + 3 * width * height) return JpegSuccess;
  return WriteThumbnail(read, topLine, payload + pixelsAt, nullptr, width, height);
}

int TakePaletteThumbnail(ReadState& read, uint8_t* topLine, const uint8_t* payload, int32_t size) {
  const int width = payload[6];
  const int height = payload[7];
  if (!IsThumbnailRead(read) || size < width * height + 8 + kPaletteBytes) return JpegSuccess;
  read.work.thumbnail_width = width;
  read.work.thumbnail_height = height;
  return WriteThumbnail(read, topLine, payload + 8 + kPaletteBytes, payload + 8, width, height);
}

int InterpretApp0(MarkerState& markers, ReadState& read, uint8_t* topLine, const uint8_t* payload, int32_t size) {
  if (std::memcmp(payload, "JFIF", 5) == 0) {
    JfifMarker& jfif = markers.app0;
    jfif.seen = 1;
    jfif.version = Be16(payload + 5);
    jfif.units = payload[7];
    jfif.x_density = Be16(payload + 8);
    jfif.y_density = Be16(payload + 10);
    return TakeRgbThumbnail(read, topLine, payload, size, 12);
  }
  if (std::memcmp(payload, "JFXX", 5) == 0) {
    switch (payload[5]) {
      case 0x11:
        return TakePaletteThumbnail(read, topLine, payload, size);
      case 0x13:
        return TakeRgbThumbnail(read, topLine, payload, size, 6);
      default:  // 0x10 carries a JPEG-coded thumbnail, which is not read
        return JpegSuccess;
    }
  }
  return JpegSuccess;
}

int ReadSofComponents(ParsedFrame& parsed, const uint8_t* payload, int count) {
  JpegFrame& frame = parsed.frame;
  int blocks = 0;
  for (int i = 0; i < count; ++i) {
    const uint8_t* entry = payload + 6 + 3 * i;
    JpegComponent& component = parsed.components[i];
    component.id = entry[0];
    component.h = entry[1] >> 4;
    component.v = entry[1] & 0x0F;
    component.tq = entry[2];
    // An MCU holds at most 32x32 pixels and ten blocks; factors outside 1..4
    // would also leave the MCU size undefined.
    if (component.h < 1 || component.h > kMaxSamplingFactor || component.v < 1 || component.v > kMaxSamplingFactor) {
      return JpegErrSof;
    }
    // Every path that transforms a component's blocks (a progressive image's
    // output, too, for components no scan names) indexes the four tables by
    // this selector, so it is checked once, here.
    if (component.tq > kMaxTableId) return JpegErrData;
    blocks += component.h * component.v;
    frame.h_max = std::max(frame.h_max, component.h);
    frame.v_max = std::max(frame.v_max, component.v);
  }
  return blocks > kMaxBlocksPerMcu ? JpegErrSof : JpegSuccess;
}

void SetMcuGeometry(JpegFrame& frame) {
  frame.mcu_width = 8 * frame.h_max;
  frame.mcu_height = 8 * frame.v_max;
  frame.mcus_per_row = (frame.width - 1 + frame.mcu_width) / frame.mcu_width;
  frame.mcu_count = ((frame.height - 1 + frame.mcu_height) / frame.mcu_height) * frame.mcus_per_row;
}

int CheckSpectralParameters(int sofKind, const JpegScan& scan) {
  if (scan.ss > kMaxSpectralIndex || scan.se > kMaxSpectralIndex || scan.ss > scan.se) return JpegErrData;
  if (scan.ah > kMaxApproximationBit || scan.al > kMaxApproximationBit) return JpegErrData;
  // A progressive DC scan codes coefficient 0 alone.
  if (sofKind == 2 && scan.ss == 0 && scan.se > 0) return JpegErrData;
  return JpegSuccess;
}

int FillScanComponent(const JpegFrame& frame, TableState& tables, const uint8_t* entry, int position,
                      ScanComponent& out) {
  const int id = entry[0];
  const int dcId = entry[1] >> 4;
  const int acId = entry[1] & 0x0F;
  if (dcId > kMaxTableId || acId > kMaxTableId) return JpegErrData;
  int index = 0;
  while (index < frame.component_count && frame.components[index].id != id) ++index;
  if (index == frame.component_count) return JpegErrData;
  const JpegComponent& component = frame.components[index];
  out.frame_index = index;
  out.h = component.h;
  out.v = component.v;
  out.dc_table = &tables.dc_tables[dcId];
  out.ac_table = &tables.ac_tables[acId];
  out.quant_table = &QuantTableAt(tables, component.tq);
  tables.dc_selectors[position] = static_cast<uint8_t>(dcId);
  tables.ac_selectors[position] = static_cast<uint8_t>(acId);
  return JpegSuccess;
}

}  // namespace

int ParseDri(JpegStream& stream, int32_t& restartInterval) {
  SegmentBytes payload;
  int32_t size = 0;
  const int result = ReadPayload(stream, payload, size);
  if (result != JpegSuccess) return result;
  if (size < 2) return JpegErrData;
  restartInterval = Be16(payload.data);
  return JpegSuccess;
}

int ParseDqt(JpegStream& stream, TableState& tables, JpegQuantSlot (&slots)[kMaxComponents], int dctMethod) {
  int32_t length = 0;
  int result = ReadUint16(stream, length);
  if (result != JpegSuccess) return result;
  if (length < 2 || length - 2 > kMaxDqtPayload) return JpegErrData;
  const int32_t size = length - 2;
  SegmentBytes payload;
  result = GetSegmentBytes(stream, size, payload);
  if (result != JpegSuccess) return result;
  int32_t used = 0;
  while (used < size) {
    const int precision = payload.data[used] >> 4;
    const int id = payload.data[used] & 0x0F;
    if (id > kMaxTableId) return JpegErrBadQuantTable;
    const int32_t tableBytes = precision == 0 ? 64 : 128;
    // A table cut off by the end of the segment is not read past it.
    if (size - used - 1 < tableBytes) return JpegErrData;
    StoreQuantTable(tables, slots[id], payload.data + used + 1, precision, id, dctMethod);
    used += 1 + tableBytes;
  }
  return JpegSuccess;
}

int ParseDht(JpegStream& stream, TableState& tables, JpegHuffmanSlot (&slots)[8]) {
  int32_t length = 0;
  int result = ReadUint16(stream, length);
  if (result != JpegSuccess) return result;
  if (length < 2 || length - 2 > kMaxDhtPayload) return JpegErrData;
  int32_t left = length - 2;
  SegmentBytes payload;
  result = GetSegmentBytes(stream, left, payload);
  if (result != JpegSuccess) return result;
  const uint8_t* table = payload.data;
  while (left > 0) {
    if (left < 17) return JpegErrData;
    const int tableClass = table[0] >> 4;
    const int id = table[0] & 0x0F;
    if (tableClass > 1 || id > kMaxTableId) return JpegErrBadHuffmanTable;
    const uint8_t* bits = table + 1;
    int count = 0;
    for (int i = 0; i < 16; ++i) count += bits[i];
    if (left - 17 < count) return JpegErrData;
    const uint8_t* values = table + 17;
    tables.counts.huffman_slots_used = std::max(tables.counts.huffman_slots_used, id + 1);
    SaveHuffmanTable(slots[2 * id + tableClass], bits, values, count, tableClass, id);
    HuffmanDecodeTable& target = tableClass == 0 ? tables.dc_tables[id] : tables.ac_tables[id];
    if (BuildHuffmanDecodeTable(bits, values, tableClass, id, target) != JpegSuccess) return JpegErrBadHuffmanTable;
    int32_t& built = tableClass == 0 ? tables.counts.dc_tables : tables.counts.ac_tables;
    built = std::min(built + 1, 4);
    table += 17 + count;
    left -= 17 + count;
  }
  return JpegSuccess;
}

int ParseSof(JpegStream& stream, ParsedFrame& parsed) {
  SegmentBytes payload;
  int32_t size = 0;
  const int result = ReadPayload(stream, payload, size);
  if (result != JpegSuccess) return result;
  parsed = ParsedFrame{};
  JpegFrame& frame = parsed.frame;
  if (size < 6) return JpegErrData;
  frame.precision = payload.data[0];
  frame.height = Be16(payload.data + 1);
  frame.width = Be16(payload.data + 3);
  const int count = payload.data[5];
  if (frame.precision != 8) return JpegErrUnsupportedFrame;
  if (frame.height == 0) return JpegErrDnl;
  if (frame.width == 0) return JpegErrSof;
  if (count < 1 || count > kMaxComponents) return JpegErrComp;
  if (size < 6 + 3 * count) return JpegErrData;
  const int components = ReadSofComponents(parsed, payload.data, count);
  if (components != JpegSuccess) return components;
  frame.component_count = count;
  // A frame of one component is coded one block per MCU whatever factors it
  // declares (there is nothing to sample it against), so it is laid out as 1x1.
  if (count == 1) {
    parsed.components[0].h = 1;
    parsed.components[0].v = 1;
    frame.h_max = 1;
    frame.v_max = 1;
  }
  SetMcuGeometry(frame);
  return JpegSuccess;
}

int ParseSos(JpegStream& stream, const MarkerState& markers, TableState& tables, JpegScan& scan,
             int32_t& segmentBytes) {
  if (markers.start_of_stream != 0) return JpegErrNoFrame;
  int32_t length = 0;
  int result = ReadUint16(stream, length);
  if (result != JpegSuccess) return result;
  if (length < 2) return JpegErrData;
  segmentBytes = length + 2;
  SegmentBytes payload;
  const int32_t size = length - 2;
  result = GetSegmentBytes(stream, size, payload);
  if (result != JpegSuccess) return result;
  if (size < 1) return JpegErrData;
  const int count = payload.data[0];
  if (count < 1 || count > kMaxComponents) return JpegErrComp;
  if (size < 4 + 2 * count) return JpegErrData;

  std::unique_ptr<ScanComponent[]> components(new (std::nothrow) ScanComponent[count]);
  if (!components) return JpegErrMemory;
  int blocks = 0;
  for (int i = 0; i < count; ++i) {
    result = FillScanComponent(markers.frame, tables, payload.data + 1 + 2 * i, i, components[i]);
    if (result != JpegSuccess) return result;
    blocks += components[i].h * components[i].v;
  }
  // A scan may name a component twice; its MCU must still fit the buffer.
  if (count > 1 && blocks > kMaxBlocksPerMcu) return JpegErrSof;
  const uint8_t* tail = payload.data + 1 + 2 * count;
  scan.ns = count;
  scan.ss = tail[0];
  scan.se = tail[1];
  scan.ah = tail[2] >> 4;
  scan.al = tail[2] & 0x0F;
  result = CheckSpectralParameters(markers.sof_kind, scan);
  if (result != JpegSuccess) return result;
  scan.components = components.release();
  return JpegSuccess;
}

int ParseApp0(JpegStream& stream, MarkerState& markers, ReadState& read) {
  int32_t length = 0;
  // Too short to be JFIF: left to the marker search.
  if (ReadUint16(stream, length) != JpegSuccess || length < 2 || length - 2 < kMinApp0Payload) {
    return JpegSuccess;
  }
  const int32_t size = length - 2;
  SegmentBytes payload;
  if (GetSegmentBytes(stream, size, payload) != JpegSuccess) return JpegErrData;
  if (markers.start_of_stream == 0) return JpegSuccess;
  return InterpretApp0(markers, read, stream.top_line, payload.data, size);
}

int ParseApp14(JpegStream& stream, AdobeMarker& adobe) {
  int32_t length = 0;
  int result = ReadUint16(stream, length);
  if (result != JpegSuccess) return result;
  if (length < 2) return JpegErrData;
  const int32_t size = length - 2;
  // A short segment is not read; the marker search passes over it.
  if (size < kAdobePayload) return JpegSuccess;
  SegmentBytes payload;
  result = GetSegmentBytes(stream, size, payload);
  if (result != JpegSuccess) return result;
  if (std::memcmp(payload.data, "Adobe", 5) != 0) return JpegSuccess;
  adobe.version = Be16(payload.data + 5);
  adobe.flags0 = Be16(payload.data + 7);
  adobe.flags1 = Be16(payload.data + 9);
  adobe.transform = payload.data[11];
  adobe.seen = 1;
  return JpegSuccess;
}

int ParseCom(JpegStream& stream, const MarkerState& markers, JpegState& caller) {
  int32_t length = 0;
  const int result = ReadUint16(stream, length);
  if (result != JpegSuccess) return result;
  if (length < 2) return JpegErrData;
  const int32_t size = length - 2;
  SegmentBytes payload;
  if (GetSegmentBytes(stream, size, payload) != JpegSuccess) return JpegErrData;
  if (markers.start_of_stream == 0 || caller.jpeg_comment == nullptr) return JpegSuccess;
  // Every comment is measured against the capacity the caller gave, not
  // against the length of an earlier comment.
  const int32_t capacity = markers.comment_capacity;
  caller.jpeg_comment_size = size;
  if (capacity < size) {
    std::memcpy(caller.jpeg_comment, payload.data, static_cast<size_t>(capacity));
    return JpegErrComment;
  }
  std::memcpy(caller.jpeg_comment, payload.data, static_cast<size_t>(size));
  return JpegSuccess;
}

}  // namespace halvora::jpeg
