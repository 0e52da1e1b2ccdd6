#include "jpeg/input/bit_reader.h"

#include "jpeg/input/bit_window.h"
#include "jpeg/input/stream_input.h"

namespace halvora::jpeg {

namespace {

constexpr int kMaxCodeLength = 16;
constexpr int kSymbolCount = 257;
// Past the end of a buffer every further bit reads as 0. The deficit is
// bounded so that a long run of missing bits cannot overflow the count.
constexpr int32_t kDeepestDeficit = -(1 << 20);

int MarkerResult(const JpegStream& stream, int need) { return stream.bit_count >= need ? 0 : kMarkerReached; }

// Makes a byte available: a file refills, a buffer has ended (false).
int NextByteAvailable(JpegStream& stream, bool& available) {
  available = stream.remaining > 0;
  if (available || stream.file == nullptr) return JpegSuccess;
  const int refill = RefillFileBuffer(stream);
  available = refill == JpegSuccess;
  return refill;
}

uint8_t TakeByte(JpegStream& stream) {
  const uint8_t byte = *stream.position;
  ++stream.position;
  ++stream.consumed;
  --stream.remaining;
  return byte;
}

void AppendByte(JpegStream& stream, uint8_t byte) {
  stream.accumulator = (stream.accumulator << 8) | byte;
  // A deficit left by missing bits stays a deficit: those bits read as 0.
  stream.bit_count += 8;
}

// After a 0xFF inside entropy-coded data: fill bytes are skipped; 0x00 is a
// stuffed 0xFF, anything else a marker. 0 (byte appended), 1 (marker now
// pending) or a negative code.
int TakeAfterFF(JpegStream& stream) {
  for (;;) {
    bool available = false;
    const int result = NextByteAvailable(stream, available);
    if (result != JpegSuccess) return result;
    if (!available) return JpegErrData;
    const uint8_t next = TakeByte(stream);
    if (next == 0xFF) continue;
    if (next == 0x00) {
      AppendByte(stream, 0xFF);
      return 0;
    }
    stream.pending_marker = next;
    return 1;
  }
}

}  // namespace

int FillBits(JpegStream& stream, int need) {
  if (FillWithoutMarkers(stream, stream.accumulator, stream.bit_count)) return JpegSuccess;
  while (stream.bit_count < kFillTarget) {
    if (stream.pending_marker != 0) return MarkerResult(stream, need);
    bool available = false;
    const int result = NextByteAvailable(stream, available);
    if (result != JpegSuccess) return result;
    if (!available) return JpegSuccess;  // a buffer source has ended
    const uint8_t byte = TakeByte(stream);
    if (byte != 0xFF) {
      AppendByte(stream, byte);
      continue;
    }
    const int after = TakeAfterFF(stream);
    if (after < 0) return after;
    if (after == 1) return MarkerResult(stream, need);
  }
  return JpegSuccess;
}

bool DataRanOut(JpegStream& stream) {
  if (stream.bit_count > 0) return false;
  const bool fileEnded = stream.file != nullptr && stream.file_ended != 0;
  if (stream.pending_marker == 0 && !fileEnded) FillBits(stream, 1);
  return stream.bit_count <= 0 && (stream.pending_marker != 0 || (stream.file != nullptr && stream.file_ended != 0));
}

uint32_t PeekBits(const JpegStream& stream, int count) {
  const int32_t left = stream.bit_count - count;
  if (left < 0) return 0;
  return static_cast<uint32_t>(stream.accumulator >> left) & ((1u << count) - 1);
}

uint32_t GetBits(JpegStream& stream, int count) {
  const uint32_t value = PeekBits(stream, count);
  stream.bit_count -= count;
  if (stream.bit_count < kDeepestDeficit) stream.bit_count = kDeepestDeficit;
  return value;
}

int DecodeHuffmanSlow(JpegStream& stream, const HuffmanDecodeTable& table, int& symbol, int length) {
  if (length > stream.bit_count) {
    const int result = FillBits(stream, length);
    if (result != 0) return result;
  }
  uint32_t code = GetBits(stream, length);
  // No code of a length reads as 0xFFFF, which every code is taken to exceed.
  auto beyondLength = [&](int l) {
    return table.largest_code[l] == kNoCodeOfLength || code > table.largest_code[l];
  };
  while (length <= kMaxCodeLength && beyondLength(length)) {
    if (stream.bit_count <= 0) {
      const int result = FillBits(stream, 1);
      if (result != 0) return result;
    }
    code = 2 * code + GetBits(stream, 1);
    ++length;
  }
  symbol = 0;
  if (length > kMaxCodeLength) return JpegSuccess;
  const int64_t index = int64_t{table.first_symbol[length]} + code - table.smallest_code[length];
  if (index >= 0 && index < kSymbolCount) symbol = table.symbols[index];
  return JpegSuccess;
}

namespace {

// The lookahead entry for the bits held (at least kDecodeFloorBits); a
// window longer than the bits held ends in zeros.
uint32_t LookaheadFor(const JpegStream& stream, const HuffmanDecodeTable& table) {
  const int shortfall = kLookaheadBits - stream.bit_count;
  const uint64_t window = shortfall > 0 ? stream.accumulator << shortfall : stream.accumulator >> -shortfall;
  return table.lookahead[window & ((1u << kLookaheadBits) - 1)];
}

}  // namespace

int DecodeHuffman(JpegStream& stream, const HuffmanDecodeTable& table, int& symbol) {
  if (stream.bit_count < kDecodeFloorBits) {
    const int result = FillBits(stream, 0);
    if (result != 0) return result;
    if (stream.bit_count < kDecodeFloorBits) return DecodeHuffmanSlow(stream, table, symbol, 1);
  }
  const uint32_t entry = LookaheadFor(stream, table);
  const int length = LookaheadCodeLength(entry);
  // Past the floor the search goes on from the first length the floor does
  // not guarantee: a code longer than the lookahead, or than the bits held.
  if (length == 0 || length > stream.bit_count) {
    return DecodeHuffmanSlow(stream, table, symbol, kDecodeFloorBits + 1);
  }
  stream.bit_count -= length;
  symbol = LookaheadSymbol(entry);
  return JpegSuccess;
}

}  // namespace halvora::jpeg
