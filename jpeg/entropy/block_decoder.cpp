#include "jpeg/entropy/block_decoder.h"

#include "jpeg/input/bit_reader.h"
#include "jpeg/input/bit_window.h"
#include "jpeg/kernels/quant.h"

namespace halvora::jpeg {

namespace {

constexpr int kZeroRunLength = 0xF0;  // 16 zero coefficients

// The symbol step runs for nearly every coefficient: it must sit inside the
// block loop rather than be called from it.
#if defined(__GNUC__)
#define HALVORA_SYMBOL_STEP inline __attribute__((always_inline))
#elif defined(_MSC_VER)
#define HALVORA_SYMBOL_STEP __forceinline
#else
#define HALVORA_SYMBOL_STEP inline
#endif

// A symbol and the value of its magnitude bits (its low nibble; 0 when it
// has none). Returned whole so that the block loop keeps both in registers.
struct CodedSymbol {
  int result;  // 0, kMarkerReached or a negative code
  int symbol;
  int32_t value;
};

// Takes `category` value bits (with a fill when too few are held) and extends
// them to a signed value.
CodedSymbol ReceiveExtended(JpegStream& stream, int symbol, int category) {
  if (stream.bit_count < category) {
    const int result = FillBits(stream, category);
    if (result != 0) return {result, symbol, 0};
  }
  return {JpegSuccess, symbol, ExtendReceived(GetBits(stream, category), category)};
}

// A symbol and its value read through the stream with every check of the
// careful path: fills byte by byte, markers, the end of the data.
CodedSymbol DecodeCodedOnStream(JpegStream& stream, const HuffmanDecodeTable& table) {
  int symbol = 0;
  const int result = DecodeHuffman(stream, table, symbol);
  if (result != 0) return {result, symbol, 0};
  const int size = symbol & 15;
  return size == 0 ? CodedSymbol{JpegSuccess, symbol, 0} : ReceiveExtended(stream, symbol, size);
}

// Hands the bits to a careful step on the stream and takes them back.
template <typename Step>
CodedSymbol OnStream(BitWindow& window, JpegStream& stream, Step step) {
  window.Store(stream);
  const CodedSymbol coded = step();
  window.Load(stream);
  return coded;
}

// One symbol and its value from the bits in locals: the lookahead gives the
// symbol of most codes, and its magnitude bits follow. Whenever the bits held
// call for a fill the one-step fill cannot make, or a code is longer than the
// lookahead, the step goes through the stream instead, making the same fills
// at the same points.
HALVORA_SYMBOL_STEP CodedSymbol DecodeCoded(BitWindow& window, JpegStream& stream, const HuffmanDecodeTable& table) {
  if (window.bit_count < kLookaheadBits && (window.bit_count >= kDecodeFloorBits || !window.Fill(stream))) {
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

// Steps 2 and 3 of a block: the DC difference added to the prediction. 0,
// kMarkerReached (block over, prediction unchanged) or a negative code.
HALVORA_SYMBOL_STEP int DecodeDc(BitWindow& window, JpegStream& stream, const HuffmanDecodeTable& dc,
                                 int16_t& prediction) {
  const CodedSymbol coded = DecodeCoded(window, stream, dc);
  if (coded.result != 0) return coded.result;
  prediction = static_cast<int16_t>(prediction + coded.value);
  return JpegSuccess;
}

// Walks the AC codes of a block; `store` receives each coefficient's value
// and zig-zag index. The padded zig-zag table keeps a run that passes
// coefficient 63 inside the block.
template <typename Store>
HALVORA_SYMBOL_STEP int DecodeAc(BitWindow& window, JpegStream& stream, const HuffmanDecodeTable& ac, Store store) {
  for (int index = 1; index < 64;) {
    const CodedSymbol coded = DecodeCoded(window, stream, ac);
    if (coded.result != 0) return coded.result;
    const int runSize = coded.symbol;
    if ((runSize & 15) != 0) {
      index += runSize >> 4;
      store(index, coded.value);
      ++index;
    } else if (runSize == kZeroRunLength) {
      index += 16;
    } else {
      break;  // end of block
    }
  }
  return JpegSuccess;
}

// The DC term, which becomes coefficient 0 (zig-zag index 0 to `store`),
// then the AC codes, with the bits in locals throughout. A marker met inside
// the block ends it without error.
template <typename Store>
HALVORA_SYMBOL_STEP int DecodeBlock(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                                    int16_t& prediction, Store store) {
  BitWindow window(stream);
  int result = DecodeDc(window, stream, dc, prediction);
  if (result == 0) {
    store(0, prediction);
    result = DecodeAc(window, stream, ac, store);
  }
  window.Store(stream);
  return result == kMarkerReached ? JpegSuccess : result;
}

template <int16_t (*Dequantize)(int16_t, int32_t)>
HALVORA_SYMBOL_STEP int DecodeDequantizedBlock(JpegStream& stream, const HuffmanDecodeTable& dc,
                                               const HuffmanDecodeTable& ac, int16_t& prediction,
                                               const int32_t* factors, CoefficientBlock& block) {
  return DecodeBlock(stream, dc, ac, prediction, [&block, factors](int index, int32_t value) {
    const int32_t natural = kZigZagToNatural[index];
    block.values[natural] = Dequantize(static_cast<int16_t>(value), factors[natural]);
  });
}

}  // namespace

int DecodeBlockMethod0(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                       int16_t& prediction, const int32_t* factors, CoefficientBlock& block) {
  return DecodeDequantizedBlock<DequantizedTermMethod0>(stream, dc, ac, prediction, factors, block);
}

int DecodeBlockMethod1(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                       int16_t& prediction, const int32_t* factors, CoefficientBlock& block) {
  return DecodeDequantizedBlock<DequantizedTermMethod1>(stream, dc, ac, prediction, factors, block);
}

#if defined(HALVORA_BLOCK_DECODER_BMI2)
// The same steps, inlined here with BMI2's shifts and bit extraction, which
// take a coefficient's bits in fewer instructions. Nothing but these two
// functions is built for BMI2: the inline steps they are made of keep their
// plain forms everywhere else.
[[gnu::target("bmi2")]] int DecodeBlockMethod0Bmi2(JpegStream& stream, const HuffmanDecodeTable& dc,
                                                   const HuffmanDecodeTable& ac, int16_t& prediction,
                                                   const int32_t* factors, CoefficientBlock& block) {
  return DecodeDequantizedBlock<DequantizedTermMethod0>(stream, dc, ac, prediction, factors, block);
}

[[gnu::target("bmi2")]] int DecodeBlockMethod1Bmi2(JpegStream& stream, const HuffmanDecodeTable& dc,
                                                   const HuffmanDecodeTable& ac, int16_t& prediction,
                                                   const int32_t* factors, CoefficientBlock& block) {
  return DecodeDequantizedBlock<DequantizedTermMethod1>(stream, dc, ac, prediction, factors, block);
}
#endif

int SkipBlockPlain(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac, int16_t& prediction,
                   const int32_t*, CoefficientBlock& block) {
  return DecodeBlock(stream, dc, ac, prediction, [&block](int index, int32_t value) {
    if (index == 0) block.values[0] = static_cast<int16_t>(value);
  });
}

}  // namespace halvora::jpeg
