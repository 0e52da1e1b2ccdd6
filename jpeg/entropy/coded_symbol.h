// The steps block decoders are made of, with the bits held in locals (a
// BitWindow): a Huffman symbol, a symbol with its magnitude bits, and bare
// bits. Each step takes exactly the bytes and answers exactly what the same
// step through the stream's bit reader does (DecodeHuffman, FillBits and
// GetBits), so that damaged data ends every block in the same place on
// either path.
#pragma once

#include <cstdint>

#include "jpeg/entropy/huffman_table.h"
#include "jpeg/input/bit_reader.h"
#include "jpeg/input/bit_window.h"

namespace halvora::jpeg {

// The steps run for nearly every coefficient: they must sit inside the
// block loop rather than be called from it.
// HALVORA_INLINE_LAMBDA does the same for a lambda (after its parameters).
#if defined(__GNUC__)
#define HALVORA_SYMBOL_STEP inline __attribute__((always_inline))
#define HALVORA_INLINE_LAMBDA __attribute__((always_inline))
#elif defined(_MSC_VER)
#define HALVORA_SYMBOL_STEP __forceinline
#define HALVORA_INLINE_LAMBDA [[msvc::forceinline]]
#else
#define HALVORA_SYMBOL_STEP inline
#define HALVORA_INLINE_LAMBDA
#endif

// A symbol and the value of its magnitude bits (its low nibble; 0 when it
// has none), or bare bits in `value`. Returned whole so that the block loop
// keeps them in registers.
struct CodedSymbol {
  int result;  // 0, kMarkerReached or a negative code
  int symbol;
  int32_t value;
};

// The careful forms on the stream: fills byte by byte, markers, the end of
// the data. A symbol alone; a symbol and its value; `category` value bits
// (a fill first when too few are held) extended to a signed value; `count`
// bare bits (0 to 16).
CodedSymbol DecodeSymbolOnStream(JpegStream& stream, const HuffmanDecodeTable& table);
CodedSymbol DecodeCodedOnStream(JpegStream& stream, const HuffmanDecodeTable& table);
CodedSymbol ReceiveExtended(JpegStream& stream, int symbol, int category);
CodedSymbol ReceiveBits(JpegStream& stream, int count);

// Hands the bits to a careful step on the stream and takes them back.
template <typename Step>
CodedSymbol OnStream(BitWindow& window, JpegStream& stream, Step step) {
  window.Store(stream);
  const CodedSymbol coded = step();
  window.Load(stream);
  return coded;
}

// Whether the lookahead can decode the next symbol from the bits in locals,
// after the one-step fill where the bit reader would fill. Below the floor
// the bit reader fills first; between the floor and the lookahead's width it
// decodes from the bits it has.
HALVORA_SYMBOL_STEP bool LookaheadReady(BitWindow& window, JpegStream& stream) {
  return window.bit_count >= kLookaheadBits || (window.bit_count < kDecodeFloorBits && window.Fill(stream));
}

// One symbol: the lookahead gives most codes; a code longer than the
// lookahead, or bits the one-step fill cannot make, go through the stream.
HALVORA_SYMBOL_STEP CodedSymbol DecodeSymbol(BitWindow& window, JpegStream& stream, const HuffmanDecodeTable& table) {
  if (!LookaheadReady(window, stream)) {
    return OnStream(window, stream, [&] { return DecodeSymbolOnStream(stream, table); });
  }
  const uint32_t entry = table.lookahead[window.Peek(kLookaheadBits)];
  const int length = LookaheadCodeLength(entry);
  if (length == 0) return OnStream(window, stream, [&] { return DecodeSymbolOnStream(stream, table); });
  window.bit_count -= length;
  return {JpegSuccess, LookaheadSymbol(entry), 0};
}

// `count` bare bits (0 to 16).
HALVORA_SYMBOL_STEP CodedSymbol TakeBits(BitWindow& window, JpegStream& stream, int count) {
  if (count == 0) return {JpegSuccess, 0, 0};
  if (window.bit_count < count && !window.Fill(stream)) {
    return OnStream(window, stream, [&] { return ReceiveBits(stream, count); });
  }
  return {JpegSuccess, 0, static_cast<int32_t>(window.Take(count))};
}

// One symbol and the signed value of its magnitude bits.
HALVORA_SYMBOL_STEP CodedSymbol DecodeCoded(BitWindow& window, JpegStream& stream, const HuffmanDecodeTable& table) {
  if (!LookaheadReady(window, stream)) {
    return OnStream(window, stream, [&] { return DecodeCodedOnStream(stream, table); });
  }
  const uint32_t entry = table.lookahead[window.Peek(kLookaheadBits)];
  const int symbol = LookaheadSymbol(entry);
  const int length = LookaheadCodeLength(entry);
  if (length == 0) return OnStream(window, stream, [&] { return DecodeCodedOnStream(stream, table); });
  window.bit_count -= length;
  const int size = symbol & 15;
  if (size == 0) return {JpegSuccess, symbol, 0};
  if (window.bit_count < size && !window.Fill(stream)) {
    return OnStream(window, stream, [&] { return ReceiveExtended(stream, symbol, size); });
  }
  return {JpegSuccess, symbol, ExtendNonZero(window.Take(size), size)};
}

}  // namespace halvora::jpeg
