#include "jpeg/entropy/block_decoder.h"

#include <type_traits>

#include "jpeg/entropy/ac_skip_table.h"
#include "jpeg/entropy/coded_symbol.h"
#include "jpeg/entropy/mcu_blocks.h"
#include "jpeg/kernels/quant.h"

namespace halvora::jpeg {

namespace {

constexpr int kZeroRunLength = 0xF0;  // 16 zero coefficients

// Steps 2 and 3 of a block: the DC difference added to the prediction. 0,
// kMarkerReached (block over, prediction unchanged) or a negative code.
HALVORA_SYMBOL_STEP int DecodeDc(BitWindow& window, JpegStream& stream, const HuffmanDecodeTable& dc,
                                 int16_t& prediction) {
  const CodedSymbol coded = DecodeCoded(window, stream, dc);
  if (coded.result != 0) return coded.result;
  prediction = static_cast<int16_t>(prediction + coded.value);
  return JpegSuccess;
}

// What one AC code does at zig-zag index `index`: a run of zeros and a
// coefficient, whose value and index `store` receives; a run of 16 zeros;
// or the end of the block (true). The padded zig-zag table keeps a run that
// passes coefficient 63 inside the block.
template <typename Store>
HALVORA_SYMBOL_STEP bool TakeAcCode(const CodedSymbol& coded, int& index, Store store) {
  const int runSize = coded.symbol;
  if ((runSize & 15) != 0) {
    index += runSize >> 4;
    store(index, coded.value);
    ++index;
    return false;
  }
  if (runSize == kZeroRunLength) {
    index += 16;
    return false;
  }
  return true;
}

// Walks the AC codes of a block; `store` receives each coefficient's value
// and zig-zag index.
template <typename Store>
HALVORA_SYMBOL_STEP int DecodeAc(BitWindow& window, JpegStream& stream, const HuffmanDecodeTable& ac, Store store) {
  for (int index = 1; index < 64;) {
    const CodedSymbol coded = DecodeCoded(window, stream, ac);
    if (coded.result != 0) return coded.result;
    if (TakeAcCode(coded, index, store)) break;
  }
  return JpegSuccess;
}

// The AC codes passed over: their bits are taken, their values never formed.
constexpr auto kPassOver = [](int, int32_t) {};

// The AC codes of a block passed over, several at a time through the AC
// table's skip table where one is attached. A skip is taken only where
// taking its codes one by one would need no fill and no careful step (the
// bits held cover the codes and the lookahead after them) and would not
// reach the block's end before its last code, so it takes exactly what they
// would; elsewhere the codes go one by one.
HALVORA_SYMBOL_STEP int PassOverAc(BitWindow& window, JpegStream& stream, const HuffmanDecodeTable& ac) {
  const AcSkipTable* skip = ac.skip;
  if (skip == nullptr) return DecodeAc(window, stream, ac, kPassOver);
  for (int index = 1; index < 64;) {
    if (window.bit_count >= kAcSkipBits + kLookaheadBits) {
      const uint16_t entry = skip->entries[window.Peek(kAcSkipBits)];
      const int positions = SkippedPositions(entry);
      if (SkippedBits(entry) != 0 && index + positions < 64) {
        window.bit_count -= SkippedBits(entry);
        index += positions;
        if (SkipEndsBlock(entry)) break;
        continue;
      }
    }
    const CodedSymbol coded = DecodeCoded(window, stream, ac);
    if (coded.result != 0) return coded.result;
    if (TakeAcCode(coded, index, kPassOver)) break;
  }
  return JpegSuccess;
}

// The DC term, which `storeDc` receives, then the AC codes, whose values
// and zig-zag indexes `storeAc` receives (or which are passed over), from the
// bits in `window`. A marker met inside the block ends it without error.
template <typename StoreDc, typename StoreAc>
HALVORA_SYMBOL_STEP int DecodeBlockTerms(BitWindow& window, JpegStream& stream, const HuffmanDecodeTable& dc,
                                         const HuffmanDecodeTable& ac, int16_t& prediction, StoreDc storeDc,
                                         StoreAc storeAc) {
  int result = DecodeDc(window, stream, dc, prediction);
  if (result == 0) {
    storeDc(prediction);
    if constexpr (std::is_same_v<StoreAc, std::decay_t<decltype(kPassOver)>>) {
      result = PassOverAc(window, stream, ac);
    } else {
      result = DecodeAc(window, stream, ac, storeAc);
    }
  }
  return result == kMarkerReached ? JpegSuccess : result;
}

// One block, with the bits in locals throughout.
template <typename StoreDc, typename StoreAc>
HALVORA_SYMBOL_STEP int DecodeBlock(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                                    int16_t& prediction, StoreDc storeDc, StoreAc storeAc) {
  BitWindow window(stream);
  const int result = DecodeBlockTerms(window, stream, dc, ac, prediction, storeDc, storeAc);
  window.Store(stream);
  return result;
}

// Stores the coefficient of zig-zag index `index` into `block`, in natural
// order and dequantised by `factors`.
template <int16_t (*Dequantize)(int16_t, int32_t)>
HALVORA_SYMBOL_STEP auto DequantizingStore(CoefficientBlock& block, const int32_t* factors) {
  return [&block, factors](int index, int32_t value) {
    const int32_t natural = kZigZagToNatural[index];
    block.values[natural] = Dequantize(static_cast<int16_t>(value), factors[natural]);
  };
}

template <int16_t (*Dequantize)(int16_t, int32_t)>
HALVORA_SYMBOL_STEP int DecodeDequantizedBlock(JpegStream& stream, const HuffmanDecodeTable& dc,
                                               const HuffmanDecodeTable& ac, int16_t& prediction,
                                               const int32_t* factors, CoefficientBlock& block) {
  const auto store = DequantizingStore<Dequantize>(block, factors);
  return DecodeBlock(
      stream, dc, ac, prediction, [&store](int32_t value) { store(0, value); }, store);
}

template <int16_t (*Dequantize)(int16_t, int32_t)>
HALVORA_SYMBOL_STEP int DecodeDequantizedDc(JpegStream& stream, const HuffmanDecodeTable& dc,
                                            const HuffmanDecodeTable& ac, int16_t& prediction, const int32_t* factors,
                                            CoefficientBlock& block) {
  const auto store = DequantizingStore<Dequantize>(block, factors);
  return DecodeBlock(
      stream, dc, ac, prediction, [&store](int32_t value) { store(0, value); }, kPassOver);
}

// Every block of an MCU as DecodeDequantizedBlock decodes it (or, with
// `kDcAlone`, DecodeDequantizedDc), the bits held in locals from the first
// block to the last rather than written back and read again between them.
template <int16_t (*Dequantize)(int16_t, int32_t), bool kDcAlone>
HALVORA_SYMBOL_STEP int DecodeDequantizedMcu(JpegStream& stream, JpegScan& scan, CoefficientBlock* blocks) {
  BitWindow window(stream);
  auto decode = [&](const ScanComponent& component, int16_t& prediction, int block) HALVORA_INLINE_LAMBDA {
    const auto store = DequantizingStore<Dequantize>(blocks[block], component.quant_table->entries);
    auto storeDc = [&store](int32_t value) { store(0, value); };
    const HuffmanDecodeTable& dc = *component.dc_table;
    const HuffmanDecodeTable& ac = *component.ac_table;
    if constexpr (kDcAlone) {
      return DecodeBlockTerms(window, stream, dc, ac, prediction, storeDc, kPassOver);
    } else {
      return DecodeBlockTerms(window, stream, dc, ac, prediction, storeDc, store);
    }
  };
  const int result = DecodeEachMcuBlock(scan, decode);
  window.Store(stream);
  return result;
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

int DecodeMcuMethod0(JpegStream& stream, JpegScan& scan, CoefficientBlock* blocks) {
  return DecodeDequantizedMcu<DequantizedTermMethod0, false>(stream, scan, blocks);
}

int DecodeMcuMethod1(JpegStream& stream, JpegScan& scan, CoefficientBlock* blocks) {
  return DecodeDequantizedMcu<DequantizedTermMethod1, false>(stream, scan, blocks);
}

int DecodeMcuDcTermsMethod0(JpegStream& stream, JpegScan& scan, CoefficientBlock* blocks) {
  return DecodeDequantizedMcu<DequantizedTermMethod0, true>(stream, scan, blocks);
}

int DecodeMcuDcTermsMethod1(JpegStream& stream, JpegScan& scan, CoefficientBlock* blocks) {
  return DecodeDequantizedMcu<DequantizedTermMethod1, true>(stream, scan, blocks);
}

int DecodeDcTermMethod0(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                        int16_t& prediction, const int32_t* factors, CoefficientBlock& block) {
  return DecodeDequantizedDc<DequantizedTermMethod0>(stream, dc, ac, prediction, factors, block);
}

int DecodeDcTermMethod1(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                        int16_t& prediction, const int32_t* factors, CoefficientBlock& block) {
  return DecodeDequantizedDc<DequantizedTermMethod1>(stream, dc, ac, prediction, factors, block);
}

#if defined(HALVORA_BLOCK_DECODER_BMI2)
// The same steps, inlined here with BMI2's shifts and bit extraction, which
// take a coefficient's bits in fewer instructions. Nothing but these eight
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

[[gnu::target("bmi2")]] int DecodeMcuMethod0Bmi2(JpegStream& stream, JpegScan& scan, CoefficientBlock* blocks) {
  return DecodeDequantizedMcu<DequantizedTermMethod0, false>(stream, scan, blocks);
}

[[gnu::target("bmi2")]] int DecodeMcuMethod1Bmi2(JpegStream& stream, JpegScan& scan, CoefficientBlock* blocks) {
  return DecodeDequantizedMcu<DequantizedTermMethod1, false>(stream, scan, blocks);
}

[[gnu::target("bmi2")]] int DecodeMcuDcTermsMethod0Bmi2(JpegStream& stream, JpegScan& scan, CoefficientBlock* blocks) {
  return DecodeDequantizedMcu<DequantizedTermMethod0, true>(stream, scan, blocks);
}

[[gnu::target("bmi2")]] int DecodeMcuDcTermsMethod1Bmi2(JpegStream& stream, JpegScan& scan, CoefficientBlock* blocks) {
  return DecodeDequantizedMcu<DequantizedTermMethod1, true>(stream, scan, blocks);
}

[[gnu::target("bmi2")]] int DecodeDcTermMethod0Bmi2(JpegStream& stream, const HuffmanDecodeTable& dc,
                                                    const HuffmanDecodeTable& ac, int16_t& prediction,
                                                    const int32_t* factors, CoefficientBlock& block) {
  return DecodeDequantizedDc<DequantizedTermMethod0>(stream, dc, ac, prediction, factors, block);
}

[[gnu::target("bmi2")]] int DecodeDcTermMethod1Bmi2(JpegStream& stream, const HuffmanDecodeTable& dc,
                                                    const HuffmanDecodeTable& ac, int16_t& prediction,
                                                    const int32_t* factors, CoefficientBlock& block) {
  return DecodeDequantizedDc<DequantizedTermMethod1>(stream, dc, ac, prediction, factors, block);
}
#endif

int SkipBlockPlain(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac, int16_t& prediction,
                   const int32_t*, CoefficientBlock& block) {
  return DecodeBlock(
      stream, dc, ac, prediction, [&block](int32_t value) { block.values[0] = static_cast<int16_t>(value); },
      kPassOver);
}

}  // namespace halvora::jpeg
